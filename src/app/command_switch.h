#pragma once

#include <string>
#include <vector>

#include "app/app_settings.h"
#include "platform/profile.h"

namespace mapvale::app {

// Reads the updater's command line (`arguments` without the program name). Only the first
// argument counts and is compared exactly, case included: "-SYSTRAY" marks a start from the tray
// agent; "-TRAINFO_AGREE"/"-TRAINFO_DEGREE" set the traffic consent (and write it as the stored
// default). Returns 1 to go on, 0 when the first argument is unknown and the program must end
// silently.
int ReadCommandSwitch(AppSettings& settings, platform::Profile& profile,
                      const std::vector<std::string>& arguments);

}  // namespace mapvale::app
