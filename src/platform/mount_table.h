#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes.h"

namespace mapvale::platform {

// The Linux mount table (/proc/self/mountinfo) and block-device facts from sysfs, turned into
// volumes. Collecting (reading the files) is kept apart from deciding, so tests feed the pure
// functions recorded text and a fake sysfs tree.

// One line of mountinfo, with the octal escapes (\040 for a space ...) of its paths undone.
struct MountEntry {
    int mount_id = 0;
    int parent_id = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;         // the folder of the file system mounted here ("/" for all of it)
    std::string mount_point;  // absolute, no trailing '/' (except "/")
    std::string fs_type;      // "ext4", "vfat", "fuse.sshfs" ...
    std::string source;       // "/dev/sdb1", "server:/export", "tmpfs" ...
};

// Every well-formed line of `text` in order; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// What sysfs says about the disk behind a block device.
struct BlockFacts {
    bool removable = false;  // the disk's removable flag, or an SD card in an MMC slot
    bool floppy = false;
    bool cdrom = false;
};

// Facts for device major:minor under `sys_root` ("/sys"): the device's disk is found through
// dev/block/<major>:<minor>, a partition's parent, and the single lower device of a mapped device
// (an encrypted stick). Nothing known gives all-false facts (a fixed disk).
BlockFacts ReadBlockFacts(std::string_view sys_root, unsigned major, unsigned minor);

using BlockFactsLookup = std::function<BlockFacts(unsigned major, unsigned minor)>;

// The volumes among `mounts`, in mount-table order:
// - the mount on "/" is always a volume (fixed, system), whatever its type;
// - pseudo and in-memory file systems (proc, sysfs, cgroup, tmpfs, ramfs, overlay, squashfs
//   images ...) are not volumes: none of them is a drive a user plugs in or picks;
// - a mount of part of a file system (a bind mount, root other than "/"), a second mount of a
//   file system already listed, and a mount hidden by a later one on the same point are skipped
//   (btrfs subvolumes fall under "already listed" with the file system they belong to);
// - kind: remote for network file systems, cdrom for optical discs, removable when sysfs says
//   so, fixed otherwise;
// - system for "/" and for mounts on the system's own folders (/boot, /efi, /usr, /var, /home,
//   /opt, /srv, /tmp, /root, /nix, /snap and below them).
// `facts` is asked only for block devices (sources under /dev/).
std::vector<Volume> VolumesFromMounts(const std::vector<MountEntry>& mounts,
                                      const BlockFactsLookup& facts);

// The real volumes of this machine, re-read at every Current(). The root file system is always
// among them, first: when the table has no mount on "/" (a chroot, some containers) or cannot be
// read, it is added from stat("/") (fixed, system; a mount of the same file system elsewhere is
// then left out as a second mount).
class MountTableSource final : public VolumeSource {
public:
    explicit MountTableSource(std::string mountinfo_path = "/proc/self/mountinfo",
                              std::string sys_root = "/sys");

    std::vector<Volume> Current() override;
    // statvfs of the root.
    std::optional<VolumeSpace> Space(const Volume& volume) override;

private:
    std::string mountinfo_path_;
    std::string sys_root_;
};

}  // namespace mapvale::platform
