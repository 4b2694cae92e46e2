#pragma once

#include <cstdint>

#include "model/card_info.h"
#include "model/device_entry.h"
#include "model/file_entry.h"

namespace mapvale::card {

// What the install job backs up (stage 1) or closes (stage 3).
enum BackupKind : int {
    kBackupNothing = 0,
    kBackupWholeCard = 1,       // every entry of the card root
    kBackupAllButMaps = 2,      // every entry but the product folder, plus its user data
    kBackupUserDataOnly = 3,    // only the user data inside the product folder
    kRestoreNothingToSize = 4,  // a restore kind: closes the backup, counts 0 KB
};

// KB that a backup of `kind` takes, from the card record: kind 1 capacity - free, kind 2 user
// data + capacity - map data - free, kind 3 user data, any other kind 0. The record's numbers
// come from separate walks of a card that may change meanwhile, so a difference that would go
// below 0 is 0 rather than a wrapped huge size.
std::uint32_t BackupSizeKb(const CardInfo& card, int kind);

// True when the install stage copies `entry` to the card once it is downloaded: its download
// is pending, running or done (status 1-5 or 8), it is selected or the card is formatted, and
// (without a format) the card does not already hold its version.
bool WillInstall(const FileEntry& entry, bool format);

// The install stage's progress total: AG_FILESIZE / 1024 (per file, rounded down) summed over
// the entries that WillInstall. Files already on the card are not counted, so the progress
// never counts work that is not done.
std::uint32_t InstallSizeKb(const DeviceEntry& device, bool format);

}  // namespace mapvale::card
