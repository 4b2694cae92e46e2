#include "catalog/version_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/card_state.h"
#include "catalog/pc_state.h"
#include "catalog/text_file.h"
#include "catalog_fixtures.h"
#include "platform/encoding.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

using mapvale::testing::Sandbox;
using testing::Device;
using testing::Entry;

std::string Utf8(const std::string& cp949) {
    return platform::Cp949ToUtf8(cp949).text;
}

// The first line of a version file, as UTF-8 with its line end.
std::string Header(const std::string& path) {
    const std::string text = Utf8(Sandbox::Read(path));
    return text.substr(0, text.find('\n') + 1);
}

class VersionFileTest : public ::testing::Test {
  protected:
    VersionFileTest() : device_(Device("ND_PKG")) {
        device_.files.push_back(Entry("a.bin", "Tarno/MapData", 10, 3));
        device_.files.push_back(Entry("b.bin", "", 4, 5));
        device_.files.push_back(Entry("c.bin", "Tarno/Data", 6, 7));
        device_.files[2].archive_name = "c.zip";
        device_.files[2].part_count = 2;
        device_.files[1].option_value = 2;
        card_.root = sandbox_.Path("card") + "/";
        card_.product_folder = sandbox_.Path("card/Tarno");
    }

    std::string PcFolder() const { return sandbox_.Path("Data/ND_PKG"); }

    Sandbox sandbox_;
    DeviceEntry device_;
    CardInfo card_;
};

TEST_F(VersionFileTest, WritesHeaderAndOneLinePerEntryInCp949) {
    ASSERT_EQ(WriteVersionFile(PcFolder() + "//", device_, nullptr, 0), 1);
    const std::string bytes = Sandbox::Read(sandbox_.Path("Data/ND_PKG/ND_PKG.ver"));
    EXPECT_EQ(Utf8(bytes),
              "*|20240115|2024011|ND_PKG|2024 겨울|1|0|0\n"
              "Tarno/MapData|a.bin|3|0\n"
              "|b.bin|5|2\n"
              "Tarno/Data|c.bin|7|0\n");
    EXPECT_NE(bytes, Utf8(bytes));  // the label is CP949 on disk

    ASSERT_EQ(WriteVersionFile(PcFolder(), device_, nullptr, 1), 1);
    EXPECT_EQ(Header(sandbox_.Path("Data/ND_PKG/ND_PKG.ver")),
              "*|20240115|2024011|ND_PKG|2024 겨울|1|0|1\n");
    // Any other mark than 1 writes 0.
    ASSERT_EQ(WriteVersionFile(PcFolder(), device_, nullptr, 200), 1);
    EXPECT_EQ(Header(sandbox_.Path("Data/ND_PKG/ND_PKG.ver")),
              "*|20240115|2024011|ND_PKG|2024 겨울|1|0|0\n");
}

TEST_F(VersionFileTest, RoundTripThroughPcAndCardState) {
    ASSERT_EQ(WriteVersionFile(PcFolder(), device_, nullptr, 1), 1);
    sandbox_.Write("Data/ND_PKG/Tarno/MapData/a.bin", std::string(10, 'a'));
    sandbox_.Write("Data/ND_PKG/b.bin", "bbbb");
    sandbox_.Write("Data/ND_PKG/Tarno/Data/c001.zip", "span");

    ASSERT_EQ(ReadPcState(device_, PcFolder()), 1);
    EXPECT_EQ(device_.pc_header.completion_mark, 1);
    EXPECT_EQ(device_.pc_header.package_name, "ND_PKG");
    EXPECT_EQ(device_.pc_header.version_label, "2024 겨울");
    for (int i : {0, 1}) {
        EXPECT_EQ(device_.files[i].on_pc, 1);
        EXPECT_EQ(device_.files[i].needs_download, 0);
        EXPECT_EQ(device_.files[i].downloaded_version, device_.files[i].version);
    }
    EXPECT_EQ(device_.files[1].option_value, 2);
    const FileEntry& partial = device_.files[2];
    EXPECT_EQ(partial.on_pc, 1);
    EXPECT_EQ(partial.partial.load(), 1);
    EXPECT_EQ(partial.needs_download, 1);
    EXPECT_EQ(partial.downloaded_version, 7);

    // The install job writes the card's copy at its start (mark 0) and end (mark 1).
    device_.colour = 2;
    device_.option_value = 9;
    ASSERT_EQ(WriteVersionFile(card_.product_folder, device_, &card_, 0), 1);
    sandbox_.Write("card/Tarno/MapData/a.bin", std::string(10, 'a'));
    sandbox_.Write("card/Tarno/b.bin", "bbb");  // wrong size
    ASSERT_EQ(ReadCardState(device_, &card_), 1);
    EXPECT_EQ(device_.card_header.completion_mark, 0);
    ASSERT_EQ(WriteVersionFile(card_.product_folder, device_, &card_, 1), 1);
    device_.colour = 1;
    device_.option_value = 0;
    ASSERT_EQ(ReadCardState(device_, &card_), 1);
    EXPECT_EQ(device_.card_header.completion_mark, 1);
    EXPECT_EQ(device_.card_header.colour, 2);
    EXPECT_EQ(device_.option_value, 9);
    EXPECT_EQ(device_.files[0].card_version, 3);
    EXPECT_EQ(device_.files[0].selected, 0);
    EXPECT_EQ(device_.files[1].card_version, -1);
    EXPECT_EQ(device_.files[1].selected, 1);
    EXPECT_EQ(device_.files[2].selected, 1);
}

TEST_F(VersionFileTest, MissingFilesLeaveEverythingToDo) {
    device_.files[0].on_pc = 1;
    device_.files[0].needs_download = 0;
    EXPECT_EQ(ReadPcState(device_, PcFolder()), 0);
    EXPECT_EQ(device_.files[0].on_pc, 0);
    EXPECT_EQ(device_.files[0].needs_download, 1);
    EXPECT_EQ(device_.files[0].downloaded_version, -1);
    EXPECT_EQ(ReadCardState(device_, &card_), 0);
    EXPECT_EQ(ReadCardState(device_, nullptr), 0);
    EXPECT_EQ(device_.files[0].selected, 1);
}

TEST_F(VersionFileTest, KeepsOneVersionFilePerFolder) {
    sandbox_.Write("Data/ND_PKG/OTHER_PKG.ver", "*|1|1|OTHER_PKG|x|1|0|1\n");
    sandbox_.Write("Data/ND_PKG/old.VER", "*|1|1|old|x|1|0|1\n");
    sandbox_.Write("Data/ND_PKG/notes.txt", "kept");
    std::filesystem::create_directories(sandbox_.Path("Data/ND_PKG/folder.ver"));
    std::filesystem::permissions(sandbox_.Path("Data/ND_PKG/OTHER_PKG.ver"),
                                 std::filesystem::perms::owner_read);

    ASSERT_EQ(WriteVersionFile(PcFolder(), device_, nullptr, 0), 1);
    EXPECT_TRUE(std::filesystem::exists(sandbox_.Path("Data/ND_PKG/ND_PKG.ver")));
    EXPECT_FALSE(std::filesystem::exists(sandbox_.Path("Data/ND_PKG/OTHER_PKG.ver")));
    EXPECT_FALSE(std::filesystem::exists(sandbox_.Path("Data/ND_PKG/old.VER")));
    EXPECT_TRUE(std::filesystem::exists(sandbox_.Path("Data/ND_PKG/notes.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(sandbox_.Path("Data/ND_PKG/folder.ver")));
    // No temporary file is left next to it.
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(sandbox_.Path("Data/ND_PKG"))) {
        ++count;
    }
    EXPECT_EQ(count, 3);
}

TEST_F(VersionFileTest, WritesNothingForAnEmptyOrUnsafePackage) {
    DeviceEntry empty = Device("EMPTY");
    EXPECT_EQ(WriteVersionFile(PcFolder(), empty, nullptr, 1), 0);
    DeviceEntry escaping = device_;
    escaping.model_name = "../ESCAPE";
    EXPECT_EQ(WriteVersionFile(PcFolder(), escaping, nullptr, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(sandbox_.Path("Data/ESCAPE.ver")));
    EXPECT_FALSE(std::filesystem::exists(PcFolder()));
}

TEST_F(VersionFileTest, ProgramFilesPackageMapsItsCardFolders) {
    DeviceEntry device = Device(" Swiftpath_TARNO_Corvel_Marsel ");
    device.model_name = "Swiftpath_TARNO_Corvel_Marsel";
    device.files.push_back(Entry("a.bin", "메모리카드데이터/Tarno/MapData", 3, 1));
    ASSERT_EQ(WriteVersionFile(card_.product_folder, device, &card_, 1), 1);
    const std::string path =
        sandbox_.Path("card/Program Files/Tarno/Swiftpath_TARNO_Corvel_Marsel.ver");
    const std::string text = Utf8(Sandbox::Read(path));
    EXPECT_NE(text.find("\nProgram Files/Tarno/MapData|a.bin|1|0\n"), std::string::npos) << text;

    sandbox_.Write("card/Program Files/Tarno/MapData/a.bin", "aaa");
    ASSERT_EQ(ReadCardState(device, &card_), 1);
    EXPECT_EQ(device.files[0].card_version, 1);

    // The PC copy keeps the PC folder names.
    ASSERT_EQ(WriteVersionFile(PcFolder(), device, nullptr, 1), 1);
    EXPECT_NE(Utf8(Sandbox::Read(sandbox_.Path("Data/ND_PKG/Swiftpath_TARNO_Corvel_Marsel.ver")))
                  .find("\n메모리카드데이터/Tarno/MapData|a.bin|1|0\n"),
              std::string::npos);
}

TEST_F(VersionFileTest, OtherPackagesInstallTheCardDataFolderAtTheRoot) {
    DeviceEntry device = Device("PLAIN");
    device.files.push_back(Entry("a.bin", "메모리카드데이터/Tarno/MapData", 3, 1));
    ASSERT_EQ(WriteVersionFile(card_.product_folder, device, &card_, 1), 1);
    sandbox_.Write("card/Tarno/MapData/a.bin", "aaa");
    ASSERT_EQ(ReadCardState(device, &card_), 1);
    EXPECT_EQ(device.files[0].card_version, 1);
}

TEST_F(VersionFileTest, CameraDataInstallUpdatesOnlyTheHeader) {
    const std::string original =
        "*|20230101|2023011|ND_PKG|old label|2|4|0\r\n"
        "Tarno/Camera|cam.bin|11|1\r\n";
    sandbox_.Write("card/Tarno/ND_PKG.ver", original);
    device_.install_type = 200;
    ASSERT_EQ(WriteVersionFile(card_.product_folder, device_, &card_, 1), 1);
    EXPECT_EQ(Sandbox::Read(sandbox_.Path("card/Tarno/ND_PKG.ver")),
              "*|20230101|2024011|ND_PKG|old label|2|4|1\r\n"
              "Tarno/Camera|cam.bin|11|1\r\n");

    // Mark 0, or no file to update, writes the whole file.
    ASSERT_EQ(WriteVersionFile(sandbox_.Path("card2/Tarno"), device_, &card_, 1), 1);
    EXPECT_EQ(Header(sandbox_.Path("card2/Tarno/ND_PKG.ver")),
              "*|20240115|2024011|ND_PKG|2024 겨울|1|0|1\n");
}

TEST_F(VersionFileTest, UpdatesOptionValues) {
    sandbox_.Write("Data/ND_PKG/ND_PKG.ver",
                   "*|1|2|ND_PKG|label|1|0|1\n"
                   "\n"
                   "Tarno/MapData|a.bin|3|0\n"
                   "|b.bin|5|0\n");
    sandbox_.Write("card/Tarno/ND_PKG.ver",
                   "*|1|2|ND_PKG|label|1|0|1\r\n"
                   "Tarno/MapData|a.bin|3|0\r\n"
                   "|b.bin|5|0\r\n"
                   "|gone.bin|1|6\r\n");
    device_.files[0].option_value = 1;
    device_.files[1].option_value = 2;

    EXPECT_EQ(UpdateOptionValues(device_, sandbox_.Path("Data"), nullptr, 7), 1);
    EXPECT_EQ(Sandbox::Read(sandbox_.Path("Data/ND_PKG/ND_PKG.ver")),
              "*|1|2|ND_PKG|label|1|0|1\n"
              "Tarno/MapData|a.bin|3|7\n"
              "|b.bin|5|7\n");
    EXPECT_EQ(UpdateOptionValues(device_, sandbox_.Path("Data"), &card_, 7), 1);
    EXPECT_EQ(Sandbox::Read(sandbox_.Path("card/Tarno/ND_PKG.ver")),
              "*|1|2|ND_PKG|label|1|0|1\n"
              "Tarno/MapData|a.bin|3|1\n"
              "|b.bin|5|2\n"
              "|gone.bin|1|6\n");

    CardInfo empty_card;
    empty_card.root = sandbox_.Path("nowhere") + "/";
    empty_card.product_folder = sandbox_.Path("nowhere/Tarno");
    EXPECT_EQ(UpdateOptionValues(device_, sandbox_.Path("Data"), &empty_card, 7), 0);
}

TEST_F(VersionFileTest, OverlongLinesAreCutNotSplit) {
    // Read in pieces of the line limit, the rest of this line would look like a line for b.bin.
    const std::string line = std::string(kMaxVersionLineBytes - 5, 'z') + "zzzzz|b.bin|5|9";
    sandbox_.Write("Data/ND_PKG/ND_PKG.ver", "*|1|2|ND_PKG|x|1|0|1\n" + line + "\n");
    sandbox_.Write("Data/ND_PKG/b.bin", "bbbb");
    ASSERT_EQ(ReadPcState(device_, PcFolder()), 1);
    EXPECT_EQ(device_.files[1].needs_download, 1);
    EXPECT_EQ(device_.files[1].option_value, 2);

    EXPECT_EQ(SplitCp949Lines("ab\r\n\r\n\ncd\r\nef", 1),
              (std::vector<std::string>{"a", "c", "e"}));
}

}  // namespace
}  // namespace mapvale::catalog
