#pragma once

#include <string>

#include "platform/process.h"

namespace mapvale::update {

// The updater program of `program_folder`, started with no arguments (the elevated restart).
platform::LaunchRequest UpdaterLaunch(const std::string& program_folder);

// Starts the updater again after an update (kRunUpdated): the program folder's updater with the
// first argument of this start as its only argument (none when it was empty) and the second as
// its working folder. A second argument that names no folder is left out rather than making the
// start fail, which would leave the user with no updater at all. 1 when it was started, else 0;
// either way the caller ends.
int RestartUpdater(platform::ProcessLauncher& launcher, const std::string& program_folder,
                   const std::string& first_argument, const std::string& second_argument);

}  // namespace mapvale::update
