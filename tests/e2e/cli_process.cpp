#include "e2e/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "support/sandbox.h"
#include "support/server_process.h"

extern char** environ;

namespace mapvale::testing {

std::string CliProcess::ProgramPath() {
    const char* folder = std::getenv("MAPVALE_PROGRAM_DIR");
    return folder != nullptr && *folder != '\0' ? std::string(folder) + "/mapvale-cli" : "";
}

CliProcess::CliProcess(const std::vector<std::string>& arguments,
                       const std::vector<std::pair<std::string, std::string>>& environment,
                       std::string output_file, const std::string& program_path)
    : output_file_(std::move(output_file)) {
    const std::string program = program_path.empty() ? ProgramPath() : program_path;
    if (program.empty()) {
        error_ = "MAPVALE_PROGRAM_DIR is not set (run the tests through ctest)";
        return;
    }
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : environment) {
        variables[name] = value;
    }
    std::vector<std::string> env_text;
    for (const auto& [name, value] : variables) {
        env_text.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& text : env_text) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argv_text = {program};
    argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argv_text) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_file_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error_ = "cannot start " + program + ": " + std::strerror(spawned);
        return;
    }
    pid_ = pid;
}

CliProcess::~CliProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

std::optional<int> CliProcess::Wait(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    WaitUntil(
        [&] {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                status_ = ExitStatusOf(status);
                return true;
            }
            return done < 0 && errno != EINTR;
        },
        timeout);
    return status_;
}

void CliProcess::Signal(int signal) {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, signal);
    }
}

std::string CliProcess::Output() const {
    return Sandbox::Read(output_file_);
}

}  // namespace mapvale::testing
