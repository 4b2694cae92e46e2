#include "platform/volumes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/drive_letters.h"
#include "platform/mount_table.h"
#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using testing::Sandbox;

// A desktop with a separate /home, snaps, a USB stick whose label has a space, an SD card in a
// built-in slot, a network share, a DVD, an encrypted stick, a bind mount and container layers.
constexpr std::string_view kDesktopMountInfo =
    "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
    "23 1 0:22 / /sys rw,nosuid shared:7 - sysfs sysfs rw\n"
    "26 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "27 26 0:25 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,size=1620584k\n"
    "28 26 259:1 / /boot/efi rw,relatime shared:29 - vfat /dev/nvme0n1p1 rw,fmask=0077\n"
    "29 26 259:3 / /home rw,relatime shared:30 - ext4 /dev/nvme0n1p3 rw\n"
    "30 26 7:3 / /snap/core22/1122 ro,nodev,relatime shared:31 - squashfs /dev/loop3 ro\n"
    "31 27 0:51 / /run/user/1000 rw,nosuid shared:600 - tmpfs tmpfs rw,size=1620580k\n"
    "32 31 0:52 / /run/user/1000/doc rw,nosuid shared:620 - fuse.portal portal rw\n"
    "33 26 8:17 / /media/me/SD\\040CARD rw,nosuid,nodev shared:700 - vfat /dev/sdb1 rw\n"
    "34 26 179:1 / /media/me/NAVI rw,nosuid,nodev shared:701 - exfat /dev/mmcblk0p1 rw\n"
    "35 26 0:60 / /mnt/share rw,relatime shared:702 - nfs4 nas:/export rw,vers=4.2\n"
    "36 26 11:0 / /media/me/DVD ro,nosuid shared:703 - iso9660 /dev/sr0 ro\n"
    "37 26 259:3 /me/projects /srv/projects rw,relatime shared:30 - ext4 /dev/nvme0n1p3 rw\n"
    "38 26 0:70 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=/x\n"
    "39 26 253:0 / /media/me/SECRET rw,nosuid - ext4 /dev/mapper/luks-1234 rw\n"
    "40 26 259:3 / /mnt/home-again rw,relatime - ext4 /dev/nvme0n1p3 rw\n"
    "this line is not a mount\n"
    "41 26 8:33 / relative rw - ext4 /dev/sdc1 rw\n";

BlockFacts DesktopFacts(unsigned major, unsigned minor) {
    BlockFacts facts;
    facts.removable = (major == 8 && minor == 17) || major == 179 || major == 253;
    facts.cdrom = major == 11;
    return facts;
}

TEST(MountTableTest, ParsesLinesAndUndoesEscapes) {
    const std::vector<MountEntry> mounts = ParseMountInfo(kDesktopMountInfo);
    ASSERT_EQ(mounts.size(), 17u);  // the two bad lines are skipped
    EXPECT_EQ(mounts[2].mount_point, "/");
    EXPECT_EQ(mounts[2].major, 259u);
    EXPECT_EQ(mounts[2].minor, 2u);
    EXPECT_EQ(mounts[2].fs_type, "ext4");
    EXPECT_EQ(mounts[2].source, "/dev/nvme0n1p2");
    EXPECT_EQ(mounts[9].mount_point, "/media/me/SD CARD");
    EXPECT_EQ(mounts[13].root, "/me/projects");
    // No optional fields at all, and a truncated line.
    EXPECT_EQ(ParseMountInfo("5 1 8:1 / /x rw - ext4 /dev/sda1 rw").size(), 1u);
    EXPECT_TRUE(ParseMountInfo("5 1 8:1 / /x rw shared:1 - ext4").empty());
    EXPECT_TRUE(ParseMountInfo("5 1 8:x / /x rw - ext4 /dev/sda1 rw").empty());
}

TEST(MountTableTest, KeepsDrivesAndDropsEverythingElse) {
    const std::vector<Volume> volumes =
        VolumesFromMounts(ParseMountInfo(kDesktopMountInfo), DesktopFacts);
    std::map<std::string, Volume> by_root;
    for (const Volume& v : volumes) {
        by_root[v.root] = v;
    }
    ASSERT_EQ(volumes.size(), 8u);
    EXPECT_EQ(volumes.front().root, "/");  // the root file system always comes first

    const Volume& root = by_root.at("/");
    EXPECT_EQ(root.kind, VolumeKind::kFixed);
    EXPECT_TRUE(root.system);
    EXPECT_EQ(root.device, "/dev/nvme0n1p2");

    EXPECT_TRUE(by_root.at("/boot/efi/").system);
    EXPECT_TRUE(by_root.at("/home/").system);
    EXPECT_EQ(by_root.at("/home/").kind, VolumeKind::kFixed);

    const Volume& stick = by_root.at("/media/me/SD CARD/");
    EXPECT_EQ(stick.kind, VolumeKind::kRemovable);
    EXPECT_FALSE(stick.system);
    EXPECT_EQ(stick.device, "/dev/sdb1");
    EXPECT_EQ(stick.id, "dev:8:17");

    EXPECT_EQ(by_root.at("/media/me/NAVI/").kind, VolumeKind::kRemovable);
    EXPECT_EQ(by_root.at("/media/me/SECRET/").kind, VolumeKind::kRemovable);
    EXPECT_EQ(by_root.at("/mnt/share/").kind, VolumeKind::kRemote);
    EXPECT_TRUE(by_root.at("/mnt/share/").device.empty());
    EXPECT_EQ(by_root.at("/media/me/DVD/").kind, VolumeKind::kCdRom);

    // Pseudo and image file systems, the bind mount of a sub-folder and a second mount of /home.
    for (const char* gone :
         {"/proc/", "/run/", "/run/user/1000/", "/run/user/1000/doc/", "/snap/core22/1122/",
          "/srv/projects/", "/mnt/home-again/", "/var/lib/docker/overlay2/abc/merged/"}) {
        EXPECT_EQ(by_root.count(gone), 0u) << gone;
    }
}

TEST(MountTableTest, RootIsAVolumeWhateverItsTypeAndOnlyTheLastMountOnAPointCounts) {
    const std::vector<Volume> volumes =
        VolumesFromMounts(ParseMountInfo("1 1 0:2 / / rw - rootfs rootfs rw\n"
                                         "9 1 0:40 / / rw - overlay overlay rw,lowerdir=/l\n"
                                         "10 9 8:1 / /media/a rw - vfat /dev/sda1 rw\n"
                                         "11 9 8:2 / /media/a rw - vfat /dev/sda2 rw\n"),
                          [](unsigned, unsigned) {
                              return BlockFacts{true, false, false};
                          });
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].id, "dev:0:40");
    EXPECT_EQ(volumes[0].kind, VolumeKind::kFixed);
    EXPECT_EQ(volumes[1].device, "/dev/sda2");
}

// A fake sysfs: dev/block/<major>:<minor> links to the device folders as the kernel makes them.
class FakeSysfs {
public:
    explicit FakeSysfs(const Sandbox& box) : box_(box) {}

    void Disk(const std::string& name, const std::string& removable) {
        box_.Write("sys/devices/" + name + "/removable", removable + "\n");
    }
    void Partition(const std::string& disk, const std::string& name) {
        box_.Write("sys/devices/" + disk + "/" + name + "/partition", "1\n");
    }
    void Link(const std::string& numbers, const std::string& device_folder) {
        std::filesystem::create_directories(box_.Path("sys/dev/block"));
        std::filesystem::create_directory_symlink("../../devices/" + device_folder,
                                                  box_.Path("sys/dev/block/" + numbers));
    }
    std::string root() const { return box_.Path("sys"); }

private:
    const Sandbox& box_;
};

TEST(MountTableTest, BlockFactsFollowPartitionsCardSlotsAndMappedDevices) {
    Sandbox box;
    FakeSysfs sys(box);
    sys.Disk("sdb", "1");
    sys.Partition("sdb", "sdb1");
    sys.Link("8:17", "sdb/sdb1");
    sys.Disk("sda", "0");
    sys.Partition("sda", "sda1");
    sys.Link("8:1", "sda/sda1");
    // An SD card in a built-in slot says "not removable" but is a card; eMMC is not.
    sys.Disk("mmcblk0", "0");
    box.Write("sys/devices/mmcblk0/device/type", "SD\n");
    sys.Partition("mmcblk0", "mmcblk0p1");
    sys.Link("179:1", "mmcblk0/mmcblk0p1");
    sys.Disk("mmcblk1", "0");
    box.Write("sys/devices/mmcblk1/device/type", "MMC\n");
    sys.Link("179:8", "mmcblk1");
    // An encrypted volume on the stick.
    sys.Disk("dm-0", "0");
    std::filesystem::create_directories(box.Path("sys/devices/dm-0/slaves"));
    std::filesystem::create_directory_symlink("../../sdb/sdb1",
                                              box.Path("sys/devices/dm-0/slaves/sdb1"));
    sys.Link("253:0", "dm-0");
    sys.Disk("sr0", "1");
    sys.Link("11:0", "sr0");
    sys.Disk("fd0", "1");
    sys.Link("2:0", "fd0");

    EXPECT_TRUE(ReadBlockFacts(sys.root(), 8, 17).removable);
    EXPECT_FALSE(ReadBlockFacts(sys.root(), 8, 1).removable);
    EXPECT_TRUE(ReadBlockFacts(sys.root(), 179, 1).removable);
    EXPECT_FALSE(ReadBlockFacts(sys.root(), 179, 8).removable);
    EXPECT_TRUE(ReadBlockFacts(sys.root(), 253, 0).removable);
    EXPECT_TRUE(ReadBlockFacts(sys.root(), 11, 0).cdrom);
    const BlockFacts floppy = ReadBlockFacts(sys.root(), 2, 0);
    EXPECT_TRUE(floppy.floppy);
    EXPECT_TRUE(floppy.removable);
    const BlockFacts unknown = ReadBlockFacts(sys.root(), 8, 99);
    EXPECT_FALSE(unknown.removable || unknown.cdrom || unknown.floppy);
}

TEST(DriveLettersTest, RootIsCOthersFromDVirtualFromTheTopAndLettersStick) {
    DriveLetterTable table;
    EXPECT_EQ(table.Assign({{"stick", false, 0, false},
                            {"root", true, 0, false},
                            {"card", false, 0, true},
                            {"declared", false, 'E', true}}),
              (std::vector<char>{'D', 'C', 'Z', 'E'}));
    // The stick goes; a new disk takes the lowest free letter, the others keep theirs.
    EXPECT_EQ(table.Assign({{"root", true, 0, false},
                            {"disk", false, 0, false},
                            {"card", false, 0, true},
                            {"declared", false, 'E', true}}),
              (std::vector<char>{'C', 'D', 'Z', 'E'}));
    // A declared letter that is taken falls back to the highest free one.
    EXPECT_EQ(table.Assign({{"root", true, 0, false},
                            {"disk", false, 0, false},
                            {"late", false, 'C', true},
                            {"other", false, 'D', true}}),
              (std::vector<char>{'C', 'D', 'Z', 'Y'}));
    // A and B never; a duplicate identity gets no second letter.
    EXPECT_EQ(table.Assign({{"x", false, 'A', false}, {"x", false, 0, false}}),
              (std::vector<char>{'D', 0}));
}

TEST(DriveLettersTest, RunningOutOfLettersLeavesNewVolumesWithout) {
    DriveLetterTable table;
    std::vector<LetterRequest> many;
    for (int i = 0; i < 25; ++i) {
        many.push_back({"v" + std::to_string(i), false, 0, false});
    }
    const std::vector<char> letters = table.Assign(many);
    EXPECT_EQ(letters[0], 'D');
    EXPECT_EQ(letters[22], 'Z');
    EXPECT_EQ(letters[23], 0);
    EXPECT_EQ(letters[24], 0);
}

// A source whose volumes the test sets.
class ListedSource final : public VolumeSource {
public:
    std::vector<Volume> volumes;
    std::vector<Volume> Current() override { return volumes; }
    std::optional<VolumeSpace> Space(const Volume& volume) override {
        return VolumeSpace{volume.root.size() * 1000, 10, 10};
    }
};

TEST(MachineVolumesTest, ListsInLetterOrderAndFindsByLetterAndPath) {
    Sandbox box;
    std::filesystem::create_directories(box.Path("card"));
    std::filesystem::create_directories(box.Path("locked"));
    ListedSource source;
    auto make = [](std::string root, VolumeKind kind, std::string id) {
        Volume volume;
        volume.root = std::move(root);
        volume.kind = kind;
        volume.id = std::move(id);
        volume.system = volume.root == "/";
        return volume;
    };
    const Volume card = make(box.Path("card") + "/", VolumeKind::kRemovable, "card");
    source.volumes = {card, make(box.Path("card/share") + "/", VolumeKind::kRemote, "net"),
                      make("/", VolumeKind::kFixed, "root"),
                      make(box.Path("locked") + "/", VolumeKind::kFixed, "locked")};
    ::chmod(box.Path("locked").c_str(), 0);
    MachineVolumes volumes({&source});

    const std::vector<Volume> listed = volumes.List();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].letter, 'C');
    EXPECT_FALSE(listed[0].root_ready);  // the system's own root
    EXPECT_EQ(listed[1].letter, 'D');
    EXPECT_TRUE(listed[1].root_ready);
    EXPECT_FALSE(listed[2].root_ready);  // remote roots are never probed
    if (::geteuid() != 0) {
        EXPECT_FALSE(listed[3].root_ready);
    }

    EXPECT_EQ(volumes.Find('d')->id, "card");
    EXPECT_FALSE(volumes.Find('Q'));
    EXPECT_EQ(volumes.Space('D')->total_bytes, card.root.size() * 1000);
    EXPECT_FALSE(volumes.Space('Q'));

    EXPECT_EQ(volumes.ForPath(box.Path("card/share/x/y"))->id, "net");
    EXPECT_EQ(volumes.ForPath(box.Path("card/x"))->id, "card");
    EXPECT_EQ(volumes.ForPath(box.Path("card"))->id, "card");  // the root without its '/'
    EXPECT_EQ(volumes.ForPath(box.Path("cardboard"))->id, "root");
    ::chmod(box.Path("locked").c_str(), 0755);
}

TEST(MachineVolumesTest, ThisMachinesMountsAreListedSanely) {
    MountTableSource mounts;
    MachineVolumes volumes({&mounts});
    const std::vector<Volume> listed = volumes.List();
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front().letter, 'C');
    EXPECT_EQ(listed.front().root, "/");
    EXPECT_TRUE(listed.front().system);
    char previous = 'B';
    for (const Volume& volume : listed) {
        EXPECT_GT(volume.letter, previous);
        EXPECT_LE(volume.letter, 'Z');
        previous = volume.letter;
        EXPECT_EQ(volume.root.front(), '/');
        EXPECT_EQ(volume.root.back(), '/');
    }
    const std::optional<VolumeSpace> space = volumes.Space('C');
    ASSERT_TRUE(space);
    EXPECT_GT(space->total_bytes, 0u);
    EXPECT_LE(space->free_bytes, space->total_bytes);
    EXPECT_LE(space->available_bytes, space->free_bytes);
    // Listing again gives the same letters.
    const std::vector<Volume> again = volumes.List();
    ASSERT_EQ(again.size(), listed.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].letter, listed[i].letter);
        EXPECT_EQ(again[i].root, listed[i].root);
    }
}

// A chroot or container: the mount table lists what was mounted inside it, but nothing on "/".
TEST(MachineVolumesTest, TheRootFileSystemIsCEvenWhenTheMountTableDoesNotListIt) {
    Sandbox box;
    struct stat root {};
    ASSERT_EQ(::stat("/", &root), 0);
    const std::string root_numbers =
        std::to_string(major(root.st_dev)) + ":" + std::to_string(minor(root.st_dev));
    const std::string root_again = "33 1 " + root_numbers + " / /mnt/again rw - ext4 /dev/x rw\n";
    box.Write("mountinfo",
              "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
              "23 1 0:22 / /sys rw,nosuid - sysfs sysfs rw\n" +
                  root_again + "34 1 199:7 / /media/me/STICK rw,nosuid - vfat /dev/sdz1 rw\n");
    MountTableSource mounts(box.Path("mountinfo"), box.Path("no-sys"));
    MachineVolumes volumes({&mounts});
    const std::vector<Volume> listed = volumes.List();
    ASSERT_EQ(listed.size(), 2u);  // the second mount of the root's file system is left out
    EXPECT_EQ(listed[0].letter, 'C');
    EXPECT_EQ(listed[0].root, "/");
    EXPECT_EQ(listed[0].kind, VolumeKind::kFixed);
    EXPECT_TRUE(listed[0].system);
    EXPECT_FALSE(listed[0].root_ready);
    EXPECT_EQ(listed[0].device_number, root.st_dev);
    EXPECT_EQ(listed[1].letter, 'D');
    EXPECT_EQ(listed[1].root, "/media/me/STICK/");
    const std::optional<VolumeSpace> space = volumes.Space('C');
    ASSERT_TRUE(space);
    EXPECT_GT(space->total_bytes, 0u);
    EXPECT_EQ(volumes.ForPath(box.Path("data"))->letter, 'C');

    // Without any mount table (no /proc in the chroot) the root is still C:.
    MountTableSource no_table(box.Path("missing"), box.Path("no-sys"));
    MachineVolumes bare({&no_table});
    const std::vector<Volume> only = bare.List();
    ASSERT_EQ(only.size(), 1u);
    EXPECT_EQ(only[0].letter, 'C');
    EXPECT_EQ(only[0].root, "/");
    EXPECT_TRUE(bare.Space('C'));
}

}  // namespace
}  // namespace mapvale::platform
