#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/volumes.h"

namespace mapvale::platform {

// How a format ended.
enum class FormatOutcome {
    kDone,         // the volume is empty and formatted (a virtual volume: erased)
    kFailed,       // it was tried and did not complete
    kRefused,      // the volume may not be formatted (see MayFormat); nothing was touched
    kUnavailable,  // no way to format it here (no disk service); nothing was touched
};

// Percent done, 0 to 100. Called on the thread that runs Format; must be fast.
using FormatProgress = std::function<void(int percent)>;

// Why a volume may not be formatted, or empty when it may. A volume may be formatted only when it
// is removable, not part of the installed system, still mounted at its root, not the volume of
// the root file system and not the volume holding `data_folder`. A virtual volume is a folder on
// some other file system, so instead its folder must not be "/", a folder directly under "/", or
// an ancestor of (or the same as) the data folder or the home folder.
std::string WhyNotFormat(const Volume& volume, std::string_view data_folder);

// Formats whole volumes (FormatEx).
//
// Thread safety: Format may be called from any thread, one format per volume at a time.
class Formatter {
  public:
    virtual ~Formatter() = default;
    // Formats `volume` with `file_system` ("FAT" or "FAT32"), with an empty label, reporting
    // progress as it goes (at least 100 at the end of a success). Checks WhyNotFormat first.
    virtual FormatOutcome Format(const Volume& volume, std::string_view file_system,
                                 std::string_view data_folder, const FormatProgress& progress) = 0;
};

// The machine's formatter: a virtual volume is erased (everything under its root is deleted,
// the root folder stays) with progress by entries removed; a real removable device is formatted
// through the desktop's disk service (FormatWithDiskService); anything else is refused.
class SystemFormatter final : public Formatter {
  public:
    FormatOutcome Format(const Volume& volume, std::string_view file_system,
                         std::string_view data_folder, const FormatProgress& progress) override;
};

// Deletes everything under `root` but the folder itself, without following links and without
// entering other file systems mounted inside it. Progress goes by entries removed. kDone when
// nothing is left, kFailed otherwise (what could be removed is gone).
FormatOutcome EraseFolderContents(const std::string& root, const FormatProgress& progress);

// Formats block device `device` ("/dev/sdb1") as vfat (FAT16 for "FAT", FAT32 for "FAT32")
// through UDisks2 on the system bus ($DBUS_SYSTEM_BUS_ADDRESS when set): unmounts it, formats it
// and mounts it again, so its mount point may change. kUnavailable when the bus or the service
// cannot be reached; kRefused when the service does not know the device as `device` or marks it
// as a system device; kFailed when a step fails. Progress is 0 at the start and 100 at the end.
// Does no other check: callers go through Formatter::Format.
FormatOutcome FormatWithDiskService(const std::string& device, std::string_view file_system,
                                    const FormatProgress& progress);

}  // namespace mapvale::platform
