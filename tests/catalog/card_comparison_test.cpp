#include "catalog/card_comparison.h"

#include <gtest/gtest.h>

#include "catalog/package_info_parser.h"
#include "catalog/text_file.h"
#include "net/web_post.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::catalog {
namespace {

// A package information file with two files and a folder item between them.
constexpr std::string_view kPackageText =
    "PACKAGE_TYPE=orla_v5\r\n"
    "[FILE_1]\r\nDEST_PATH=\\Orla\\Data\r\nAG_FILENAME=map.dat\r\nAG_VER=7\r\n#\r\n"
    "[FOLDER_1]\r\nFOLDER_NAME=Voice\r\nAG_FILENAME=voice\r\nAG_VER=3\r\n#\r\n"
    "[FILE_2]\r\nDEST_PATH=Orla\r\nAG_FILENAME=poi.dat\r\nAG_VER=4\r\n#\r\n# END\r\n";

FileEntry Entry(std::string folder, std::string name, std::int32_t version) {
    FileEntry entry;
    entry.destination_path = std::move(folder);
    entry.file_name = std::move(name);
    entry.version = version;
    return entry;
}

TEST(CardComparisonTest, ReadsOnlyTheFileSectionsOfAPackage) {
    PackageInfo files;
    ParsePackageInfoText(files, kPackageText, EntrySections::kFilesOnly);
    ASSERT_EQ(files.entries.size(), 2u);
    EXPECT_EQ(files.entries[0].file_name, "map.dat");
    EXPECT_EQ(files.entries[0].destination_path, "Orla/Data");
    EXPECT_EQ(files.entries[1].file_name, "poi.dat");
    PackageInfo all;
    ParsePackageInfoText(all, kPackageText);
    EXPECT_EQ(all.entries.size(), 3u);
}

TEST(CardComparisonTest, AddressesWithAndWithoutSchemeOrPath) {
    struct Case {
        std::string address;
        std::string host;
        std::string path;
        bool secure;
    };
    for (const Case& c : std::vector<Case>{
             {"http://h:1/info/A.inf", "h:1", "/info/A.inf", false},
             {" HTTP://h/A.inf\r\n", "h", "/A.inf", false},
             {"https://h/A.inf", "h", "/A.inf", true},
             {"h:8080/x/A.inf", "h:8080", "/x/A.inf", false},
             {"http://h", "h", "/", false},
             {"h", "h", "/", false},
         }) {
        const auto split = SplitPackageAddress(c.address);
        ASSERT_TRUE(split) << c.address;
        EXPECT_EQ(split->host, c.host) << c.address;
        EXPECT_EQ(split->path, c.path) << c.address;
        EXPECT_EQ(split->secure, c.secure) << c.address;
    }
    for (const char* address : {"", "  ", "http://", "http:///A.inf", "/A.inf"}) {
        EXPECT_FALSE(SplitPackageAddress(address)) << address;
    }
}

class CardFileTest : public ::testing::Test {
protected:
    bool UpToDate(std::string_view card_text, std::string_view package = "HX100") {
        box_.Write("card/HX100.ver", std::string(card_text));
        return IsCardUpToDate(entries_, box_.Path("card/HX100.ver"), package);
    }

    testing::Sandbox box_;
    std::vector<FileEntry> entries_{Entry("Orla/Data", "map.dat", 7), Entry("Orla", "poi.dat", 4)};
};

constexpr std::string_view kHeader = "*|20240115|2024012|HX100|2024.01|1|0|1\n";

TEST_F(CardFileTest, MatchingFilesAndTheirSeparators) {
    EXPECT_TRUE(UpToDate(std::string(kHeader) + "Orla/Data|map.dat|7|0\nOrla|poi.dat|4|0\n"));
    // The unit's own writer used '\' and a leading separator; CR LF line ends.
    EXPECT_TRUE(
        UpToDate("*|1|2|HX100|x|1|0|1\r\n\\Orla\\Data|map.dat|7|0\r\n\\\\Orla|poi.dat|4|0\r\n"));
    EXPECT_FALSE(UpToDate(std::string(kHeader) + "\\Orla\\Data\\|map.dat|6|0\n"));
    EXPECT_FALSE(UpToDate(std::string(kHeader) + "Orla|poi.dat|5|0\n"));
}

TEST_F(CardFileTest, AnUnfinishedInstallIsOldEvenWithMatchingFiles) {
    EXPECT_FALSE(UpToDate("*|20240115|2024012|HX100|2024.01|1|0|0\nOrla/Data|map.dat|7|0\n"));
    // Only exactly "0" counts; a header without field 7 says nothing.
    EXPECT_TRUE(UpToDate("*|20240115|2024012|HX100|2024.01|1|0|00\n"));
    EXPECT_TRUE(UpToDate("*|20240115|2024012|HX100\n"));
    // The mark is read wherever the header stands.
    EXPECT_FALSE(UpToDate("Orla/Data|map.dat|7|0\n*|1|2|HX100|x|1|0|0\n"));
}

TEST_F(CardFileTest, LinesThatDoNotMarkTheCard) {
    // A file the install had not copied yet, a file the package does not list, a package file
    // the card does not record, a file of the same name in another folder, a short line.
    EXPECT_TRUE(UpToDate(std::string(kHeader) + "Orla/Data|map.dat|-1|0\n"
                                                "Orla/Data|extra.dat|99|0\n"
                                                "Orla/Other|map.dat|1|0\n"
                                                "Orla/Data|map.dat\n"
                                                "\n"));
    // Missing file: nothing to call old.
    EXPECT_TRUE(IsCardUpToDate(entries_, box_.Path("card/none.ver"), "HX100"));
}

TEST_F(CardFileTest, LongLinesAndBinaryBytesAreReadSafely) {
    // A line longer than the reader takes is skipped whole, never read in pieces.
    const std::string long_line = "Orla/Data|map.dat|1|" + std::string(300, '0') + "\n";
    EXPECT_TRUE(UpToDate(std::string(kHeader) + long_line));
    // Up to the limit a line is read.
    std::string at_limit = "Orla/Data|map.dat|1|";
    at_limit.append(kMaxCardVersionLine - at_limit.size(), '0');
    EXPECT_FALSE(UpToDate(std::string(kHeader) + at_limit + "\r\n"));
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>((i * 131) % 256);
    }
    EXPECT_TRUE(UpToDate(binary));
    EXPECT_FALSE(UpToDate(binary + "\nOrla|poi.dat|3|0\n"));
}

TEST_F(CardFileTest, TheProgramFilesPackageIsComparedAsItsCardNamesIt) {
    const std::string package = "swiftpath_tarno_corvel_marsel";
    entries_ = {Entry("메모리카드데이터/Tarno", "map.dat", 7)};
    const std::string header = "*|1|2|" + package + "|x|1|0|1\n";
    EXPECT_FALSE(UpToDate(ToCp949(header + "Program Files/Tarno|map.dat|6|0\n"), package));
    EXPECT_TRUE(UpToDate(ToCp949(header + "Program Files/Tarno|map.dat|7|0\n"), package));
}

TEST(CardComparisonFetchTest, FetchesTheFileEntriesOrNothing) {
    testing::Sandbox box;
    box.Write("content/info/HX100.inf", std::string(kPackageText));
    testing::ServerProcess server({"serve", "--content", box.Path("content")});
    ASSERT_TRUE(server.ok()) << server.error();
    net::CWebPOST web;
    const auto entries = FetchPackageFileEntries(web, " " + server.Url("/info/HX100.inf") + " ");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].file_name, "poi.dat");
    EXPECT_EQ(FetchPackageFileEntries(web, server.address() + "/info/HX100.inf").size(), 2u);
    EXPECT_TRUE(FetchPackageFileEntries(web, server.Url("/info/NONE.inf")).empty());
    EXPECT_TRUE(FetchPackageFileEntries(web, "").empty());
}

}  // namespace
}  // namespace mapvale::catalog
