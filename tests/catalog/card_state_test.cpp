#include "catalog/card_state.h"

#include <gtest/gtest.h>

#include "catalog/variant_files.h"
#include "catalog_fixtures.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

using mapvale::testing::Sandbox;
using testing::Device;
using testing::Entry;

class CardStateTest : public ::testing::Test {
  protected:
    CardStateTest() : device_(Device("TARNO_X")) {
        card_.root = sandbox_.Path("card") + "/";
        card_.product_folder = sandbox_.Path("card/Tarno");
    }

    // Writes the card's version file: a header and one line per (name, version).
    void WriteCardFile(const std::string& lines) {
        sandbox_.Write("card/Tarno/TARNO_X.ver", "*|1|2|TARNO_X|label|2|5|1\n" + lines);
    }

    Sandbox sandbox_;
    DeviceEntry device_;
    CardInfo card_;
};

TEST_F(CardStateTest, LooksForVariantFilesUnderTheirInstalledNames) {
    device_.files = {
        Entry("ND_2GB.VB", "Tarno/MapData", 4, 3),
        Entry("KOREA_1GB.GPI", "Tarno/MapData", 5, 3),
        Entry("ThemeStyle_night_low.bin", "Tarno/Theme", 6, 3),
        Entry("ThemeStyle_mono.bin", "Tarno/Theme", 7, 3),
        Entry("plain.bin", "", 2, 3),
        Entry("tarno_pc설치.exe", "", 1, 3),
    };
    WriteCardFile(
        "Tarno/MapData|ND_2GB.VB|3|0\n"
        "Tarno/MapData|KOREA_1GB.GPI|3|0\n"
        "Tarno/Theme|ThemeStyle_night_low.bin|3|0\n"
        "Tarno/Theme|ThemeStyle_mono.bin|3|0\n"
        "|plain.bin|3|0\n"
        "|tarno_pc설치.exe|3|0\n");
    sandbox_.Write("card/Tarno/MapData/ND.vb", "1234");
    sandbox_.Write("card/Tarno/MapData/Korea.gpi", "12345");
    sandbox_.Write("card/Tarno/Data/ThemeStyle_night.bin", "123456");
    sandbox_.Write("card/Tarno/Data/ThemeStyle_mono.bin", "1234567");
    sandbox_.Write("card/Tarno/plain.bin", "12");
    sandbox_.Write("card/Tarno/tarno_pc설치.exe", "1");

    ASSERT_EQ(ReadCardState(device_, &card_), 1);
    for (std::size_t i = 0; i + 1 < device_.files.size(); ++i) {
        EXPECT_EQ(device_.files[i].card_version, 3) << device_.files[i].file_name;
        EXPECT_EQ(device_.files[i].selected, 0) << device_.files[i].file_name;
    }
    // The PC installer never counts as installed.
    EXPECT_EQ(device_.files.back().card_version, -1);
    EXPECT_EQ(device_.files.back().selected, 1);
    EXPECT_EQ(device_.card_header.colour, 2);
    EXPECT_EQ(device_.option_value, 5);
}

TEST_F(CardStateTest, AFileNotOnTheCardGoesBackToDownloaded) {
    device_.files = {Entry("a.bin", "Tarno", 4, 3), Entry("b.bin", "Tarno", 4, 3)};
    for (FileEntry& entry : device_.files) {
        entry.status = FileStatus::kOnCard;
    }
    device_.files[0].downloaded_version = 3;
    device_.files[1].downloaded_version = 2;
    WriteCardFile("Tarno|a.bin|3|0\nTarno|b.bin|3|0\n");
    sandbox_.Write("card/Tarno/a.bin", "123");  // wrong size

    ASSERT_EQ(ReadCardState(device_, &card_), 1);
    EXPECT_EQ(device_.files[0].status.load(), FileStatus::kDownloaded);
    EXPECT_EQ(device_.files[1].status.load(), FileStatus::kOnCard);  // not downloaded either
    EXPECT_EQ(device_.files[0].selected, 1);
}

TEST_F(CardStateTest, FormatOptionSelectsEverything) {
    device_.files = {Entry("a.bin", "Tarno", 3, 3)};
    WriteCardFile("Tarno|a.bin|3|0\n");
    sandbox_.Write("card/Tarno/a.bin", "123");
    device_.format_option = 1;
    device_.files[0].card_version = 3;
    device_.files[0].selected = 0;
    EXPECT_EQ(ReadCardState(device_, &card_), 0);
    EXPECT_EQ(device_.files[0].card_version, -1);
    EXPECT_EQ(device_.files[0].selected, 1);
}

TEST(VariantFilesTest, ThemeStyleTypes) {
    EXPECT_EQ(ThemeStyleType("ThemeStyle_special.bin"), 1);
    EXPECT_EQ(ThemeStyleType("ThemeStyle_special_low.bin"), 2);
    EXPECT_EQ(ThemeStyleType("themestyle_basic.bin"), 0);  // exact comparison
    EXPECT_EQ(InstalledName("nd_1gb.vb"), "nd_1gb.vb");
}

}  // namespace
}  // namespace mapvale::catalog
