#include "update/restart.h"

#include "app/constants.h"
#include "platform/files.h"

namespace mapvale::update {

platform::LaunchRequest UpdaterLaunch(const std::string& program_folder) {
    platform::LaunchRequest request;
    request.program = platform::JoinPath(program_folder, app::kUpdaterProgram);
    return request;
}

int RestartUpdater(platform::ProcessLauncher& launcher, const std::string& program_folder,
                   const std::string& first_argument, const std::string& second_argument) {
    platform::LaunchRequest request = UpdaterLaunch(program_folder);
    if (!first_argument.empty()) {
        request.arguments.push_back(first_argument);
    }
    if (!second_argument.empty() && platform::FolderExists(second_argument)) {
        request.working_folder = second_argument;
    }
    // The new updater runs on its own; this one ends.
    return launcher.Start(request) != nullptr ? 1 : 0;
}

}  // namespace mapvale::update
