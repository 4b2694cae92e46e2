#pragma once

#include "app/app_settings.h"
#include "platform/clock.h"
#include "platform/instance.h"
#include "platform/process.h"

namespace mapvale::app {

// Single-instance test at start: when another updater answers under the frame's class name, give
// it about three seconds (100 polls, 30 ms apart) to go away, as it does while a self-update
// restarts the program. True when this instance may run; false when the other one stays (the
// caller then shows kTextAlreadyRunning and ends).
bool WaitForPreviousInstance(platform::InstanceService& instances, platform::Sleeper& sleeper);

// Starts the tray agent with "-UPDATE" when it is not running and its program file exists in the
// program folder. Returns 1 when it was started, 0 when nothing was done (running, missing, or it
// could not be started).
int StartTrayAgent(const AppSettings& settings, platform::InstanceService& instances,
                   platform::ProcessLauncher& launcher);

}  // namespace mapvale::app
