#include "platform/virtual_volumes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using testing::Sandbox;

TEST(VirtualVolumeConfigTest, ReadsLettersCapacitiesAndFoldersWithSpaces) {
    const VirtualVolumeConfig config = ParseVirtualVolumeConfig(
        "# cards for the demo\n"
        "\n"
        "E: 1G /cards/first card  \n"
        "  *  1536M   /cards/second\n"
        "f 600000000 /cards/third\n"
        "z 2gb /cards/fourth\r\n");
    EXPECT_TRUE(config.errors.empty());
    ASSERT_EQ(config.entries.size(), 4u);
    EXPECT_EQ(config.entries[0].letter, 'E');
    EXPECT_EQ(config.entries[0].capacity_bytes, 1ull << 30);
    EXPECT_EQ(config.entries[0].folder, "/cards/first card");
    EXPECT_EQ(config.entries[1].letter, 0);
    EXPECT_EQ(config.entries[1].capacity_bytes, 1536ull << 20);
    EXPECT_EQ(config.entries[2].letter, 'F');
    EXPECT_EQ(config.entries[2].capacity_bytes, 600000000u);
    EXPECT_EQ(config.entries[3].capacity_bytes, 2ull << 30);
    EXPECT_EQ(config.entries[3].folder, "/cards/fourth");
}

TEST(VirtualVolumeConfigTest, BadLinesAreSkippedWithTheirNumbers) {
    const VirtualVolumeConfig config = ParseVirtualVolumeConfig(
        "A 1G /a\n"  // floppy letters are never given
        "C 1G /c\n"  // nor the root file system's
        "EE 1G /e\n"
        "E 0 /e\n"
        "E 12Q /e\n"
        "E 99999999999T /e\n"
        "E 1G relative/e\n"
        "E 1G\n"
        "G 1K /fine\n");
    ASSERT_EQ(config.entries.size(), 1u);
    EXPECT_EQ(config.entries[0].folder, "/fine");
    ASSERT_EQ(config.errors.size(), 8u);
    EXPECT_EQ(config.errors[0].rfind("line 1:", 0), 0u);
    EXPECT_EQ(config.errors[7].rfind("line 8:", 0), 0u);
}

TEST(VirtualVolumesTest, FreeSpaceIsTheCapacityLessTheFiles) {
    Sandbox box;
    box.Write("card/a.bin", std::string(3000, 'a'));
    box.Write("card/sub/b.bin", std::string(1000, 'b'));
    std::filesystem::create_symlink(box.Path("card/a.bin"), box.Path("card/link"));
    VirtualVolumes cards;
    cards.Insert({'E', 10000, box.Path("card")});
    const std::vector<Volume> listed = cards.Current();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].root, box.Path("card") + "/");
    EXPECT_EQ(listed[0].kind, VolumeKind::kRemovable);
    EXPECT_TRUE(listed[0].is_virtual);
    EXPECT_EQ(listed[0].wanted_letter, 'E');
    const std::optional<VolumeSpace> space = cards.Space(listed[0]);
    ASSERT_TRUE(space);
    EXPECT_EQ(space->total_bytes, 10000u);
    EXPECT_EQ(space->free_bytes, 6000u);  // the link takes nothing

    // Fuller than declared: no free space, not a wrapped-around huge number.
    box.Write("card/big.bin", std::string(9000, 'c'));
    EXPECT_EQ(cards.Space(listed[0])->free_bytes, 0u);
}

TEST(VirtualVolumesTest, TheConfigFileInsertsAndPullsCards) {
    Sandbox box;
    std::filesystem::create_directories(box.Path("one"));
    std::filesystem::create_directories(box.Path("two"));
    const std::string config = box.Path("volumes.conf");
    VirtualVolumes cards(config);
    MachineVolumes machine({&cards});
    EXPECT_TRUE(machine.List().empty());  // no file yet

    box.Write("volumes.conf", "E 1G " + box.Path("one") + "\n* 2G " + box.Path("two") + "\n");
    std::vector<Volume> listed = machine.List();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].letter, 'E');
    EXPECT_EQ(listed[1].letter, 'Z');
    EXPECT_EQ(machine.Space('Z')->total_bytes, 2ull << 30);

    // Removing the folder pulls the card even though its line stays.
    std::filesystem::remove(box.Path("two"));
    listed = machine.List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_FALSE(machine.Space('Z'));

    // Removing the line pulls the other one.
    box.Write("volumes.conf", "# nothing\n");
    EXPECT_TRUE(machine.List().empty());
    EXPECT_FALSE(machine.Space('E'));
}

TEST(VirtualVolumesTest, InsertedCardsCanArriveTogetherAndBeEjected) {
    Sandbox box;
    std::filesystem::create_directories(box.Path("a"));
    std::filesystem::create_directories(box.Path("b"));
    VirtualVolumes cards;
    cards.SetInserted({{'F', 1 << 20, box.Path("a")}, {'G', 1 << 20, box.Path("b")}});
    EXPECT_EQ(cards.Current().size(), 2u);
    cards.Insert({'H', 1 << 20, box.Path("a") + "/"});  // the same folder replaces its card
    EXPECT_EQ(cards.Current().size(), 2u);
    EXPECT_TRUE(cards.Eject(box.Path("a")));
    EXPECT_FALSE(cards.Eject(box.Path("a")));
    ASSERT_EQ(cards.Current().size(), 1u);
    EXPECT_EQ(cards.Current()[0].wanted_letter, 'G');
}

TEST(VirtualVolumesTest, APulledCardTakesItsFilesAlongUntilItComesBack) {
    Sandbox box;
    box.Write("card/Maps/old.dat", "old map");
    VirtualVolumes cards;
    cards.Insert({'E', 1 << 20, box.Path("card")});
    ASSERT_TRUE(cards.Eject(box.Path("card")));
    // A writer still holding the card's paths meets a missing folder, as on a real card.
    EXPECT_FALSE(std::filesystem::exists(box.Path("card/Maps/old.dat")));
    EXPECT_FALSE(WriteFileAtomic(box.Path("card/Maps/new.dat"), "new map"));
    EXPECT_TRUE(cards.Current().empty());

    cards.Insert({'E', 1 << 20, box.Path("card")});
    EXPECT_EQ(Sandbox::Read(box.Path("card/Maps/old.dat")), "old map");
    EXPECT_FALSE(std::filesystem::exists(box.Path("card/Maps/new.dat")));
    ASSERT_EQ(cards.Current().size(), 1u);

    // A folder pulled while an earlier pulled copy still waits stays where it is.
    std::filesystem::create_directories(box.Path("card.pulled"));
    EXPECT_TRUE(cards.Eject(box.Path("card")));
    EXPECT_EQ(Sandbox::Read(box.Path("card/Maps/old.dat")), "old map");
}

}  // namespace
}  // namespace mapvale::platform
