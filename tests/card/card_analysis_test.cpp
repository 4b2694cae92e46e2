#include "card/card_analysis.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "card/folder_size.h"
#include "platform/encoding.h"
#include "platform/virtual_volumes.h"
#include "support/sandbox.h"

namespace mapvale::card {
namespace {

using testing::Sandbox;

constexpr std::uint64_t kGb = 1024ull * 1024 * 1024;

std::string Cp949(std::string_view utf8) {
    return platform::Utf8ToCp949(utf8).text;
}

// One virtual card E: of 2 GB in a sandbox folder.
class CardAnalysisTest : public ::testing::Test {
protected:
    CardAnalysisTest() {
        std::filesystem::create_directories(box_.Path("card"));
        cards_.Insert({'E', 2 * kGb, box_.Path("card")});
    }

    std::string Write(const std::string& relative, std::size_t bytes) {
        return box_.Write("card/" + relative, std::string(bytes, 'x'));
    }
    void WriteVersion(const std::string& folder, const std::string& name,
                      const std::string& header) {
        box_.Write("card/" + folder + "/" + name, Cp949(header) + "\nMap|a.dat|3|0\n");
    }
    CardInfo Analyse(std::uint8_t wanted, const std::string& list = "TSKN_Ver_Info") {
        CardInfo card;
        card.model_name = "stale";  // every field is filled afresh
        EXPECT_EQ(AnalyseCard(volumes_, 'e', wanted, SplitFolderList(list), card), 1);
        return card;
    }
    std::string root() const { return box_.Path("card") + "/"; }

    Sandbox box_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_{{&cards_}};
};

TEST_F(CardAnalysisTest, FillsTheRecordOfAProductCard) {
    WriteVersion("TSKN_Ver_Info", "Tarno.ver", "*|2024051|37|Tarno|2024년 5월|1|0|1");
    Write("TSKN_Ver_Info/Map/a.dat", 10 * 1024);
    Write("TSKN_Ver_Info/BackUp/user.dat", 3 * 1024);
    Write("TSKN_Ver_Info/Data/Wav/direct.wav", 50 * 1024);  // not user data
    Write("TSKN_Ver_Info/Data/Wav/MyVoice1/a.wav", 4 * 1024);
    Write("TSKN_Ver_Info/Data/Wav/MyVoice2/deep/b.wav", 1024);
    Write("outside.txt", 100 * 1024);

    const CardInfo card = Analyse(1);
    EXPECT_EQ(card.letter, 'E');
    EXPECT_EQ(card.root, root());
    EXPECT_EQ(card.folder_mask, 1);
    EXPECT_EQ(card.product_folder, root() + "TSKN_Ver_Info");
    EXPECT_EQ(card.model_name, "Tarno");
    EXPECT_EQ(card.recorded_version, 202405100);  // seven digits gain two zeros
    EXPECT_EQ(card.recorded_number, 37);
    EXPECT_EQ(card.recorded_text, "2024년 5월");
    EXPECT_EQ(card.completion_mark, 1);
    EXPECT_EQ(card.capacity_kb, 2 * 1024 * 1024u);
    EXPECT_EQ(card.free_kb, (2 * kGb - FolderSize(box_.Path("card"))) / 1024);
    EXPECT_EQ(card.map_data_kb,
              static_cast<std::uint32_t>(FolderSize(box_.Path("card/TSKN_Ver_Info")) / 1024));
    EXPECT_EQ(card.user_data_kb, 3u + 4u + 1u);
    EXPECT_EQ(card.drive_kind, DriveKind::kRemovable);
}

TEST_F(CardAnalysisTest, EightDigitVersionsAreTakenAsTheyAre) {
    WriteVersion("TSKN_Ver_Info", "Tarno.ver", "*|20240510|1|Tarno|x|1|0|0");
    EXPECT_EQ(Analyse(1).recorded_version, 20240510);
    EXPECT_EQ(Analyse(1).completion_mark, 0);
    EXPECT_EQ(NormalizedRecordedVersion(9999999), 999999900);
    EXPECT_EQ(NormalizedRecordedVersion(10000000), 10000000);
    EXPECT_EQ(NormalizedRecordedVersion(0), 0);
    EXPECT_EQ(NormalizedRecordedVersion(-5), 0);
}

TEST_F(CardAnalysisTest, MaskRules) {
    // Only the third folder of the list: reported with bit 2 of the wanted mask.
    std::filesystem::create_directories(box_.Path("card/Third"));
    CardInfo card = Analyse(7, "First;Second;Third");
    EXPECT_EQ(card.folder_mask, 2);
    EXPECT_EQ(card.product_folder, root() + "Second");
    EXPECT_EQ(Analyse(5, "First;Second;Third").folder_mask, 0);

    // The first and the third: the wanted mask filters as usual.
    std::filesystem::create_directories(box_.Path("card/First"));
    EXPECT_EQ(Analyse(7, "First;Second;Third").folder_mask, 5);
    card = Analyse(4, "First;Second;Third");
    EXPECT_EQ(card.folder_mask, 4);
    EXPECT_EQ(card.product_folder, root() + "Third");

    // A file is not a marker folder, and an empty name never matches.
    Write("Second", 10);
    EXPECT_EQ(Analyse(7, "Second;First").folder_mask, 2);
    EXPECT_EQ(Analyse(7, ";First").folder_mask, 2);
}

TEST_F(CardAnalysisTest, WithoutAProductFolderTheRootIsUsedAndHoldsNoMapData) {
    Write("big.bin", 64 * 1024);
    WriteVersion(".", "Other.ver", "*|20240101|2|Other|x|1|0|1");
    Write("BackUp/mine.dat", 2048);
    const CardInfo card = Analyse(8);  // a vehicle unit keeps its product at the root
    EXPECT_EQ(card.folder_mask, 0);
    EXPECT_EQ(card.product_folder, root());
    EXPECT_EQ(card.model_name, "Other");
    EXPECT_EQ(card.recorded_version, 20240101);
    EXPECT_EQ(card.map_data_kb, 0u);
    EXPECT_EQ(card.user_data_kb, 2u);
}

// Without a marker folder a card is read where the install job writes for that kind of unit:
// TARNO units under "Tarno" (the package that lives under "Program Files" there), ORLA units
// under "Swiftpath_OrLa".
TEST_F(CardAnalysisTest, WithoutAMarkerTheUnitKindsOwnFolderIsRead) {
    WriteVersion("Tarno", "HT300.ver", "*|20240301|2024031|HT300|2024.03|1|0|1");
    Write("Tarno/MapData/map.gpi", 8 * 1024);
    Write("Tarno/BackUp/mine.dat", 1024);
    CardInfo card = Analyse(2);
    EXPECT_EQ(card.product_folder, root() + "Tarno");
    EXPECT_EQ(card.model_name, "HT300");
    EXPECT_EQ(card.recorded_version, 20240301);
    EXPECT_EQ(card.completion_mark, 1);
    EXPECT_EQ(card.map_data_kb, static_cast<std::uint32_t>(FolderSize(root() + "Tarno") / 1024));
    EXPECT_EQ(card.user_data_kb, 1u);
    EXPECT_EQ(Analyse(8).model_name, "");  // not a vehicle card

    std::filesystem::remove_all(root() + "Tarno");
    WriteVersion("Program Files/Tarno", "Swiftpath_Tarno_Corvel_Marsel.ver",
                 "*|20240401|3|Swiftpath_Tarno_Corvel_Marsel|x|1|0|0");
    card = Analyse(2);
    EXPECT_EQ(card.product_folder, root() + "Tarno");
    EXPECT_EQ(card.model_name, "Swiftpath_Tarno_Corvel_Marsel");
    EXPECT_EQ(card.recorded_version, 20240401);
    EXPECT_EQ(card.completion_mark, 0);
    // Another package's file there is not read as this card's.
    std::filesystem::remove_all(root() + "Program Files");
    WriteVersion("Program Files/Tarno", "HT300.ver", "*|20240301|1|HT300|x|1|0|1");
    EXPECT_EQ(Analyse(2).model_name, "");

    WriteVersion("Swiftpath_OrLa", "HS200.ver", "*|20240115|1|HS200|x|1|0|1");
    card = Analyse(1);
    EXPECT_EQ(card.product_folder, root() + "Swiftpath_OrLa");
    EXPECT_EQ(card.model_name, "HS200");
}

TEST_F(CardAnalysisTest, ModelNameComesFromTheFirstVersionFileAndTheRecordFromItsOwnFile) {
    // The first "*.ver" by name decides the model; its numbers come from <model>.ver.
    WriteVersion("TSKN_Ver_Info", "B.VER", "*|1|1|Zeta|b|1|0|1");
    WriteVersion("TSKN_Ver_Info", "Zeta.ver", "*|30000000|5|Zeta|z|1|0|1");
    WriteVersion("TSKN_Ver_Info", "c.ver", "*|2|2|Gamma|c|1|0|1");
    std::filesystem::create_directories(box_.Path("card/TSKN_Ver_Info/A.ver"));  // a folder
    const CardInfo card = Analyse(1);
    EXPECT_EQ(card.model_name, "Zeta");
    EXPECT_EQ(card.recorded_version, 30000000);
    EXPECT_EQ(card.recorded_number, 5);
}

TEST_F(CardAnalysisTest, AModelNameThatLeavesTheFolderReadsNothing) {
    WriteVersion("TSKN_Ver_Info", "a.ver", "*|1|1|../secret|b|1|0|1");
    box_.Write("card/secret.ver", "*|12345678|9|x|y|1|0|1\n");
    const CardInfo card = Analyse(1);
    EXPECT_EQ(card.model_name, "../secret");
    EXPECT_EQ(card.recorded_version, 0);
}

TEST_F(CardAnalysisTest, ADriveThatCannotReportItsSizeGivesZero) {
    CardInfo card;
    EXPECT_EQ(AnalyseCard(volumes_, 'F', 1, {"TSKN_Ver_Info"}, card), 0);
    cards_.Eject(box_.Path("card"));
    EXPECT_EQ(AnalyseCard(volumes_, 'E', 1, {"TSKN_Ver_Info"}, card), 0);
    EXPECT_EQ(DriveKindOf(volumes_, 'E'), DriveKind::kNotReady);
    EXPECT_FALSE(IsFloppy(volumes_, 'E'));
}

TEST(FolderListTest, SplitsAtSemicolons) {
    EXPECT_EQ(SplitFolderList("TSKN_Ver_Info"), (std::vector<std::string>{"TSKN_Ver_Info"}));
    EXPECT_EQ(SplitFolderList("a;;b;"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitFolderList("").empty());
    EXPECT_EQ(SplitFolderList("1;2;3;4;5;6;7;8;9").size(), 8u);
}

TEST(FolderSizeTest, CountsFilesAtAnyDepthButNotThroughLinks) {
    Sandbox box;
    box.Write("f/a", std::string(100, 'a'));
    box.Write("f/b/c/d", std::string(23, 'd'));
    box.Write("other/big", std::string(5000, 'x'));
    std::filesystem::create_directory_symlink(box.Path("other"), box.Path("f/link"));
    std::filesystem::create_symlink(box.Path("other/big"), box.Path("f/file-link"));
    EXPECT_EQ(FolderSize(box.Path("f")), 123u);
    EXPECT_EQ(FolderSize(box.Path("missing")), 0u);
    EXPECT_EQ(KbFromBytes(5000), 4u);
    EXPECT_EQ(KbFromBytes(std::uint64_t{1} << 50), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace mapvale::card
