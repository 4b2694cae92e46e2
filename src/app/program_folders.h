#pragma once

#include <string>

#include "app/app_settings.h"

namespace mapvale::app {

// The program folder when the settings name none: the folder of the running program when it
// holds Info/ (a build tree, or an installation under <prefix>/lib/mapvale), else
// <program's folder>/../share/mapvale/ when that holds Info/, else the program's folder.
// $MAPVALE_PROGRAM_DIR overrides all of these. Ends in '/'.
std::string DefaultProgramFolder();

// <XDG data home>/Velmora/TSKN_Waymark+/Data/ (XDG_DATA_HOME defaulting to ~/.local/share).
std::string DefaultDataFolder();

// Where the machine keeps installed programs' support files (the Windows Program Files folder):
// $MAPVALE_PROGRAM_FILES when set, else the XDG data home.
std::string ProgramFilesFolder();

FolderDefaults DefaultFolders();

}  // namespace mapvale::app
