#include "app/startup.h"

#include "app/constants.h"
#include "platform/files.h"

namespace mapvale::app {

bool WaitForPreviousInstance(platform::InstanceService& instances, platform::Sleeper& sleeper) {
    const std::string name(kFrameClassName);
    if (!instances.Exists(name)) {
        return true;
    }
    for (int poll = 0; poll < 100; ++poll) {
        sleeper.Sleep(std::chrono::milliseconds(30));
        if (!instances.Exists(name)) {
            return true;
        }
    }
    return false;
}

int StartTrayAgent(const AppSettings& settings, platform::InstanceService& instances,
                   platform::ProcessLauncher& launcher) {
    if (instances.Exists(std::string(kTrayWindowTitle))) {
        return 0;
    }
    const std::string program = settings.program_folder + std::string(kTrayProgram);
    if (!platform::FileExists(program)) {
        return 0;
    }
    platform::LaunchRequest request;
    request.program = program;
    request.arguments = {std::string(kSwitchTrayUpdate)};
    // The agent runs on its own; its handle is not kept.
    return launcher.Start(request) != nullptr ? 1 : 0;
}

}  // namespace mapvale::app
