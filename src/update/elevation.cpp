#include "update/elevation.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string_view>

#include "platform/files.h"

extern char** environ;

namespace mapvale::update {
namespace {

constexpr std::string_view kPkexec = "pkexec";
constexpr std::string_view kEnv = "/usr/bin/env";
constexpr std::string_view kShell = "/bin/sh";
constexpr std::string_view kShellName = "mapvale-relaunch";  // $0 of the shell
constexpr std::array<std::string_view, 4> kDisplayVariables = {
    "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};

}  // namespace

PkexecElevation::PkexecElevation(platform::ProcessLauncher& launcher) : launcher_(launcher) {}

bool PkexecElevation::MayWrite(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        if (platform::FolderExists(folder) && ::access(folder.c_str(), W_OK | X_OK) != 0) {
            return false;
        }
    }
    return true;
}

bool PkexecElevation::RelaunchElevated(const platform::LaunchRequest& request) {
    std::vector<std::string> environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        environment.emplace_back(*entry);
    }
    return launcher_.Start(PkexecRequest(request, environment)) != nullptr;
}

platform::LaunchRequest PkexecElevation::PkexecRequest(
    const platform::LaunchRequest& request, const std::vector<std::string>& environment) {
    platform::LaunchRequest elevated;
    elevated.program = std::string(kPkexec);
    elevated.shown = request.shown;
    elevated.arguments.emplace_back(kEnv);
    for (const std::string_view name : kDisplayVariables) {
        for (const std::string& entry : environment) {
            if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
                entry[name.size()] == '=') {
                elevated.arguments.push_back(entry);
                break;
            }
        }
    }
    for (const auto& [name, value] : request.environment) {
        // env would take a name starting with '-' as an option.
        if (!name.empty() && name.front() != '-' && name.find('=') == std::string::npos) {
            elevated.arguments.push_back(name + "=" + value);
        }
    }
    // The program goes through a shell as a positional parameter: env would read a program path
    // holding '=' as one more variable.
    elevated.arguments.emplace_back(kShell);
    elevated.arguments.emplace_back("-c");
    if (request.working_folder.empty()) {
        elevated.arguments.emplace_back("exec \"$@\"");
        elevated.arguments.emplace_back(kShellName);
    } else {
        elevated.arguments.emplace_back("cd -- \"$1\" && shift && exec \"$@\"");
        elevated.arguments.emplace_back(kShellName);
        elevated.arguments.push_back(request.working_folder);
    }
    std::error_code error;
    const auto absolute = std::filesystem::absolute(request.program, error);
    elevated.arguments.push_back(error ? request.program : absolute.string());
    elevated.arguments.insert(elevated.arguments.end(), request.arguments.begin(),
                              request.arguments.end());
    return elevated;
}

}  // namespace mapvale::update
