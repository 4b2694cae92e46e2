#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace mapvale::card {

// The backups of a package's user data on the PC, in the package folder (data folder + package
// name): "Backup" while an install fills it, then renamed to "Backup_yymmddHHMMSS" (local time)
// when the install closes it. The controller later finds the newest one by its name.

inline constexpr std::string_view kOpenBackupFolder = "Backup";
inline constexpr std::size_t kBackupsKept = 4;

// "Backup_" + the local time as yymmddHHMMSS.
std::string StampedBackupName(const platform::CivilTime& local);

// True for a name of exactly the form StampedBackupName makes. Names of this form sort by
// their time stamp as text.
bool IsStampedBackupName(std::string_view name);

// The stamped backup folders of `package_folder`, newest first (by the stamp in the name, never
// by the order the file system lists them in).
std::vector<std::string> StampedBackupFolders(std::string_view package_folder);

// Deletes, with their content, the stamped backup folders of `package_folder` beyond the `keep`
// newest that hold nothing of their own. The card is not restored from a backup, so after a
// formatting install the user's files may live only in an old backup: an older backup goes only
// when every file in it is also in a backup that stays (same path below the backup folder, same
// size, same bytes); otherwise it stays, and its files count as kept for the older ones still.
// Only bytes of same-path, same-size files are read, and each comparison stops at the first
// difference. A backup that cannot be walked completely, or that holds anything but folders and
// regular files, stays. Folders whose names merely contain "Backup_" cannot be dated and are
// left alone. Returns how many were deleted.
std::size_t KeepNewestBackups(std::string_view package_folder, std::size_t keep = kBackupsKept);

// Renames `package_folder` + "Backup" to the stamped name of the clock's local time; when a
// folder of that name exists (two closes within one second), the stamp moves on a second at a
// time, so an earlier backup is never merged into or replaced. The full path of the closed
// backup, or nothing when there was no open backup or it could not be renamed.
std::optional<std::string> CloseBackupFolder(std::string_view package_folder,
                                             const platform::Clock& clock);

}  // namespace mapvale::card
