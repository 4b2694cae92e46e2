#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive_letters.h"

namespace mapvale::platform {

// What kind of drive a volume is (GetDriveType).
enum class VolumeKind : std::uint8_t { kRemovable, kFixed, kRemote, kCdRom, kRamDisk };

// One mounted volume. Everything above `platform` sees only `letter` and `root`; the other fields
// are for the watcher's rules and for the formatter's safety checks.
struct Volume {
    char letter = 0;   // 'C'..'Z' once listed by Volumes; 0 as a source reports it
    std::string root;  // mount point (or virtual folder), absolute, ending in '/'
    VolumeKind kind = VolumeKind::kFixed;
    // The root is a readable folder that does not belong to the installed system: the Windows
    // drive whose root attributes are exactly "directory". Set by Volumes::List; remote roots
    // are never probed (a dead server must not stall a scan) and stay false.
    bool root_ready = false;
    // Part of the installed system: the root file system (always C:) and mounts on the system's
    // own folders (/boot, /usr, /var, /home ...). Never a card, never formatted.
    bool system = false;
    bool floppy = false;
    bool is_virtual = false;
    std::string device;               // block device ("/dev/sdb1"); empty otherwise
    std::uint64_t device_number = 0;  // st_dev of the root's file system; 0 when unknown
    // Identity while mounted, unique among all sources; letters stick to it.
    std::string id;
    // A letter the source asks for (a virtual volume's declared letter), or 0.
    char wanted_letter = 0;
};

// GetDiskFreeSpaceEx: sizes in bytes.
struct VolumeSpace {
    std::uint64_t total_bytes = 0;
    std::uint64_t free_bytes = 0;       // all free bytes ("total free")
    std::uint64_t available_bytes = 0;  // free bytes this user may write
};

// Where volumes come from: the mount table, or folders acting as cards.
//
// Thread safety: Current is called by one MachineVolumes under its lock; Space may run on any
// thread at the same time as Current (and as other Space calls).
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // The volumes mounted now, without letters, in a stable order.
    virtual std::vector<Volume> Current() = 0;
    // Sizes of a volume from the latest Current(); nothing when it no longer answers.
    virtual std::optional<VolumeSpace> Space(const Volume& volume) = 0;
};

// The drive letters of the machine (GetLogicalDriveStrings, GetDriveType, GetDiskFreeSpaceEx).
//
// Thread safety: every member may be called from any thread (the drive watcher lists from its
// worker while the user-interface thread analyses a card).
class Volumes {
public:
    virtual ~Volumes() = default;

    // Every volume with a letter, in letter order (at most 24: A: and B: are never given).
    virtual std::vector<Volume> List() = 0;
    // Sizes of the volume with this letter as it is mounted now; nothing when no volume has the
    // letter or it does not answer.
    virtual std::optional<VolumeSpace> Space(char letter) = 0;

    // The volume with this letter (upper or lower case), or nothing.
    std::optional<Volume> Find(char letter);
    // The volume whose root holds `path` (the longest root that is a folder prefix of it), or
    // nothing. `path` is taken as written: callers normalise and resolve links first when they
    // need to.
    std::optional<Volume> ForPath(std::string_view path);

    // The room of the file system that holds `path` (the nearest existing folder on it, links
    // resolved: a folder still to be made goes where its parent is). That is the listed volume
    // holding the folder when the folder lies on that volume's own file system (or the volume
    // does not say which it is); otherwise, as for a tmpfs or a mount of another file system
    // below a listed volume, which the list does not show, the folder's own file system
    // (statvfs). Nothing when the file system that decides does not answer.
    std::optional<VolumeSpace> SpaceAt(std::string_view path);
};

// The machine's volumes: the volumes of several sources under one letter table. Letters stay with
// a volume while it is mounted: the root file system is C:, other real volumes take the lowest
// free letter from D: up, virtual volumes their declared letter when it is free, else the highest
// free one from Z: down. A volume that finds no free letter is not listed.
class MachineVolumes final : public Volumes {
public:
    // The sources are not owned and must outlive this object. Earlier sources get letters first.
    explicit MachineVolumes(std::vector<VolumeSource*> sources);

    std::vector<Volume> List() override;
    std::optional<VolumeSpace> Space(char letter) override;

private:
    struct Entry {
        Volume volume;
        VolumeSource* source = nullptr;
    };
    // Lists every source, updates the letter table and fills root_ready. Caller holds mutex_.
    std::vector<Entry> Refresh();

    std::vector<VolumeSource*> sources_;
    std::mutex mutex_;
    DriveLetterTable letters_;
};

// The process-wide volumes: the mount table plus the virtual volumes of the file named by
// $MAPVALE_VIRTUAL_VOLUMES (see virtual_volumes.h) when that is set.
Volumes& DefaultVolumes();

}  // namespace mapvale::platform
