#pragma once

#include <string_view>

#include "model/device_entry.h"

namespace mapvale::catalog {

// What the package folder on the PC holds, compared with the device's file catalogue. Both run
// on the thread that owns the device (the user-interface thread, or the download worker's Start
// before the worker exists).

// Sets every entry's on-PC flag, downloaded version, needs-download flag and partial mark from
// the PC version file in `package_folder` and the files next to it (an extracted file of the
// recorded version and the right size is downloaded; a first span of the recorded version
// marks a partial download). Also fills device.pc_header. 0 when there is no version file (the
// entries then read as absent: not on the PC, version -1, to be downloaded), else 1.
int ReadPcState(DeviceEntry& device, std::string_view package_folder);

enum class ScanMode {
    kMark = 1,     // only set the flags
    kCleanUp = 2,  // also delete what does not belong to the package
};

// The clean-up scan: walks the package folder and its sub-folders, compares every file but the
// "*.ver" files with the catalogue and sets the flags of the entries it finds (a file with an
// entry's name and size: on the PC, downloaded when the downloaded version is the entry's; a
// span of an entry's archive: partial when the versions agree). With kCleanUp it deletes copies
// of another version or size, spans of another version and every file that matches no entry.
//
// Never touched: the folders "Backup" and "Backup_*" (the user's backed-up card data, names
// compared without regard to case), symbolic links, and anything outside the package folder.
// kCleanUp does nothing at all unless the folder is named after the device's package and that
// name is a plain file name: it never runs on the data folder itself or on another folder.
void ScanPackageFolder(DeviceEntry& device, std::string_view package_folder, ScanMode mode);

}  // namespace mapvale::catalog
