#include "mapvale-cli/console_launcher.h"

#include <filesystem>

#include "app/constants.h"
#include "platform/text.h"

namespace mapvale::cli {

bool ConsoleLauncher::IsWindowedProgram(const std::string& program) {
    std::string name = std::filesystem::path(program).filename().string();
    if (name.size() > 4 &&
        platform::EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".exe")) {
        name.resize(name.size() - 4);
    }
    return platform::EqualsNoCase(name, app::kTrayProgram) ||
           platform::EqualsNoCase(name, app::kUpdaterProgram);
}

std::unique_ptr<platform::Process> ConsoleLauncher::Start(const platform::LaunchRequest& request) {
    if (IsWindowedProgram(request.program)) {
        return nullptr;
    }
    return inner_.Start(request);
}

}  // namespace mapvale::cli
