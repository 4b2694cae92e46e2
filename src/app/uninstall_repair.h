#pragma once

#include <string>

#include "platform/settings_store.h"

namespace mapvale::app {

// Repairs the uninstall registration left by version 1.00 once: when the product's uninstall key
// says version 0x01000000 and the old entry's uninstall command points at the desktop (or ends in
// a drive), the installer script is written anew into the program-files folder and the version
// raised to 1.01, so the repair never runs twice. Never fails visibly: whatever cannot be read or
// written is skipped.
//
// `program_files_folder` is where installer data lives; `installer_script` is the file whose
// bytes are written unchanged as the installer script (empty path: none shipped).
void RepairUninstallEntry(platform::SettingsStore& store, const std::string& program_files_folder,
                          const std::string& installer_script);

}  // namespace mapvale::app
