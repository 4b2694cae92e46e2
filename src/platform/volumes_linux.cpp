#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>

#include "platform/files.h"
#include "platform/mount_table.h"
#include "platform/virtual_volumes.h"

namespace mapvale::platform {

namespace {

namespace fs = std::filesystem;

// A mount table larger than this is cut; machines with thousands of container mounts stay
// well below it.
constexpr std::size_t kMaxMountInfoBytes = 8 * 1024 * 1024;
// Mapped devices resolved through their lower device at most this deep.
constexpr int kMaxStackDepth = 4;

constexpr std::string_view kPseudoTypes[] = {
    "proc",        "sysfs",        "devtmpfs",   "devpts",  "tmpfs",       "ramfs",
    "cgroup",      "cgroup2",      "securityfs", "debugfs", "tracefs",     "configfs",
    "fusectl",     "mqueue",       "hugetlbfs",  "pstore",  "bpf",         "autofs",
    "binfmt_misc", "efivarfs",     "rpc_pipefs", "nsfs",    "selinuxfs",   "overlay",
    "squashfs",    "erofs",        "nfsd",       "devfs",   "fuse.portal", "fuse.gvfsd-fuse",
    "fuse.lxcfs",  "fuse.snapfuse"};

constexpr std::string_view kRemoteTypes[] = {
    "nfs",   "nfs4",       "cifs",        "smb3",      "smbfs",          "ncpfs",      "afs",
    "ceph",  "glusterfs",  "9p",          "virtiofs",  "lustre",         "gpfs",       "beegfs",
    "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs", "fuse.davfs2"};

// Mounts on these folders, or below them, belong to the installed system.
constexpr std::string_view kSystemFolders[] = {"/boot", "/efi", "/usr",  "/var",  "/home",
                                               "/opt",  "/srv", "/tmp",  "/root", "/nix",
                                               "/snap", "/etc", "/proc", "/sys"};

template <std::size_t N>
bool IsOneOf(std::string_view value, const std::string_view (&list)[N]) {
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

bool IsSystemMountPoint(std::string_view point) {
    if (point == "/") {
        return true;
    }
    for (std::string_view folder : kSystemFolders) {
        if (point == folder ||
            (point.size() > folder.size() && point.substr(0, folder.size()) == folder &&
             point[folder.size()] == '/')) {
            return true;
        }
    }
    return false;
}

// Undoes the \ooo escapes the kernel writes for space, tab, newline and backslash.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 4 <= text.size()) {
            const std::string_view digits = text.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                const int value =
                    (digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0');
                if (value < 256) {
                    out.push_back(static_cast<char>(value));
                    i += 3;
                    continue;
                }
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::vector<std::string_view> SplitSpaces(std::string_view line) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < line.size()) {
        while (start < line.size() && line[start] == ' ') {
            ++start;
        }
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        if (end > start) {
            parts.push_back(line.substr(start, end - start));
        }
        start = end;
    }
    return parts;
}

bool ParseUnsigned(std::string_view text, unsigned& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

std::string ReadSmallFile(const fs::path& path) {
    const std::optional<std::string> text = ReadWholeFile(path.string());
    if (!text) {
        return {};
    }
    std::string value = text->substr(0, 64);
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) {
        value.pop_back();
    }
    return value;
}

// Reads a pseudo-file whose size stat cannot tell, up to `limit` bytes.
std::optional<std::string> ReadProcFile(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[16384];
    while (text.size() < limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (text.size() > limit) {
        // Cut after the last whole line so that no half entry is parsed.
        const std::size_t last = text.rfind('\n', limit);
        text.resize(last == std::string::npos ? 0 : last + 1);
    }
    return text;
}

BlockFacts FactsOfDisk(const fs::path& device_dir, int depth) {
    std::error_code error;
    fs::path disk = device_dir;
    if (fs::exists(device_dir / "partition", error)) {
        disk = device_dir.parent_path();
    }
    // A mapped device (an encrypted or logical volume) takes the facts of its single lower
    // device.
    const fs::path slaves = disk / "slaves";
    if (depth < kMaxStackDepth && fs::is_directory(slaves, error)) {
        std::vector<fs::path> lower;
        for (const auto& entry : fs::directory_iterator(slaves, error)) {
            lower.push_back(fs::canonical(entry.path(), error));
            if (error || lower.size() > 1) {
                break;
            }
        }
        if (!error && lower.size() == 1) {
            return FactsOfDisk(lower.front(), depth + 1);
        }
    }
    const std::string name = disk.filename().string();
    BlockFacts facts;
    facts.removable = ReadSmallFile(disk / "removable") == "1";
    facts.floppy = name.rfind("fd", 0) == 0;
    facts.cdrom = name.rfind("sr", 0) == 0;
    // Built-in card slots report their disks as fixed; an SD card in one is a card all the same.
    if (name.rfind("mmcblk", 0) == 0 && ReadSmallFile(disk / "device" / "type") == "SD") {
        facts.removable = true;
    }
    if (facts.floppy) {
        facts.removable = true;
    }
    return facts;
}

// The root file system as the mount table would have listed it, from what stat tells.
std::optional<Volume> RootFileSystemVolume() {
    struct stat info {};
    if (::stat("/", &info) != 0) {
        return std::nullopt;
    }
    Volume volume;
    volume.root = "/";
    volume.kind = VolumeKind::kFixed;
    volume.system = true;
    volume.device_number = info.st_dev;
    volume.id =
        "dev:" + std::to_string(major(info.st_dev)) + ":" + std::to_string(minor(info.st_dev));
    return volume;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::vector<std::string_view> parts = SplitSpaces(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root point options [optional fields...] - type source [super]
        const auto separator = std::find(parts.begin() + std::min<std::size_t>(parts.size(), 6),
                                         parts.end(), std::string_view("-"));
        if (parts.size() < 6 || separator == parts.end() || parts.end() - separator < 3) {
            continue;
        }
        MountEntry entry;
        unsigned id = 0;
        unsigned parent = 0;
        const std::string_view numbers = parts[2];
        const std::size_t colon = numbers.find(':');
        if (!ParseUnsigned(parts[0], id) || !ParseUnsigned(parts[1], parent) ||
            colon == std::string_view::npos ||
            !ParseUnsigned(numbers.substr(0, colon), entry.major) ||
            !ParseUnsigned(numbers.substr(colon + 1), entry.minor)) {
            continue;
        }
        entry.mount_id = static_cast<int>(id);
        entry.parent_id = static_cast<int>(parent);
        entry.root = Unescape(parts[3]);
        entry.mount_point = Unescape(parts[4]);
        entry.fs_type = Unescape(separator[1]);
        entry.source = Unescape(separator[2]);
        if (entry.mount_point.empty() || entry.mount_point.front() != '/') {
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

BlockFacts ReadBlockFacts(std::string_view sys_root, unsigned major, unsigned minor) {
    std::error_code error;
    const fs::path link = fs::path(std::string(sys_root)) / "dev" / "block" /
                          (std::to_string(major) + ":" + std::to_string(minor));
    const fs::path device_dir = fs::canonical(link, error);
    if (error) {
        return {};
    }
    return FactsOfDisk(device_dir, 0);
}

std::vector<Volume> VolumesFromMounts(const std::vector<MountEntry>& mounts,
                                      const BlockFactsLookup& facts) {
    // Only the last mount on a point is visible.
    std::map<std::string, std::size_t> visible;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        visible[mounts[i].mount_point] = i;
    }
    std::vector<Volume> volumes;
    std::set<std::pair<unsigned, unsigned>> listed;
    // The root file system first, so that a bind mount of it elsewhere cannot take its place.
    std::vector<std::size_t> order;
    if (const auto root = visible.find("/"); root != visible.end()) {
        order.push_back(root->second);
    }
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        if (visible[mounts[i].mount_point] == i && mounts[i].mount_point != "/") {
            order.push_back(i);
        }
    }
    for (std::size_t index : order) {
        const MountEntry& mount = mounts[index];
        const bool is_root = mount.mount_point == "/";
        if (!is_root) {
            if (IsOneOf(mount.fs_type, kPseudoTypes) ||
                (mount.root != "/" && mount.fs_type != "btrfs")) {
                continue;
            }
        }
        if (!listed.insert({mount.major, mount.minor}).second) {
            continue;
        }
        Volume volume;
        volume.root = NormalizeFolder(mount.mount_point);
        volume.system = IsSystemMountPoint(mount.mount_point);
        volume.device_number = makedev(mount.major, mount.minor);
        volume.id = "dev:" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
        const bool block = mount.source.rfind("/dev/", 0) == 0;
        if (block) {
            volume.device = mount.source;
        }
        if (is_root) {
            volume.kind = VolumeKind::kFixed;
        } else if (IsOneOf(mount.fs_type, kRemoteTypes) || mount.fs_type.rfind("nfs", 0) == 0) {
            volume.kind = VolumeKind::kRemote;
        } else if (mount.fs_type == "iso9660" || mount.fs_type == "udf") {
            volume.kind = VolumeKind::kCdRom;
        } else if (block) {
            const BlockFacts found = facts(mount.major, mount.minor);
            volume.floppy = found.floppy;
            volume.kind = found.cdrom       ? VolumeKind::kCdRom
                          : found.removable ? VolumeKind::kRemovable
                                            : VolumeKind::kFixed;
        } else {
            volume.kind = VolumeKind::kFixed;  // local file systems without a block device (zfs)
        }
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

MountTableSource::MountTableSource(std::string mountinfo_path, std::string sys_root)
    : mountinfo_path_(std::move(mountinfo_path)), sys_root_(std::move(sys_root)) {}

std::vector<Volume> MountTableSource::Current() {
    const std::optional<std::string> text = ReadProcFile(mountinfo_path_, kMaxMountInfoBytes);
    std::vector<Volume> volumes;
    if (text) {
        volumes = VolumesFromMounts(ParseMountInfo(*text), [this](unsigned major, unsigned minor) {
            return ReadBlockFacts(sys_root_, major, minor);
        });
    }
    const bool root_listed = std::any_of(volumes.begin(), volumes.end(),
                                         [](const Volume& volume) { return volume.root == "/"; });
    if (!root_listed) {
        // A chroot or a container whose root is a folder of a file system mounted outside it:
        // the table has no line for "/" (or cannot be read at all), but the root is there and is
        // the system's drive all the same.
        if (std::optional<Volume> root = RootFileSystemVolume()) {
            std::erase_if(volumes, [&](const Volume& volume) { return volume.id == root->id; });
            volumes.insert(volumes.begin(), std::move(*root));
        }
    }
    return volumes;
}

std::optional<VolumeSpace> MountTableSource::Space(const Volume& volume) {
    struct statvfs info {};
    if (volume.root.empty() || ::statvfs(volume.root.c_str(), &info) != 0) {
        return std::nullopt;
    }
    const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    return VolumeSpace{static_cast<std::uint64_t>(info.f_blocks) * unit,
                       static_cast<std::uint64_t>(info.f_bfree) * unit,
                       static_cast<std::uint64_t>(info.f_bavail) * unit};
}

Volumes& DefaultVolumes() {
    // Never destroyed: a drive watcher's worker left behind at exit may still be inside a scan
    // while the process ends.
    static auto* const mounts = new MountTableSource;
    static auto* const virtual_volumes =
        new VirtualVolumes(VirtualVolumes::ConfigFileFromEnvironment().value_or(""));
    static auto* const volumes = new MachineVolumes({mounts, virtual_volumes});
    return *volumes;
}

}  // namespace mapvale::platform
