#include "update/patch_list.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace mapvale::update {
namespace {

PatchEntry Entry(int version, std::string path, int archive = 0) {
    auto entry =
        ParsePatchLine(std::to_string(version) + "|" + std::to_string(archive) + "|" + path);
    EXPECT_TRUE(entry) << path;
    return entry.value_or(PatchEntry{});
}

TEST(PatchLineTest, SplitsThePathAfterItsLastSlash) {
    struct Case {
        std::string line;
        int version;
        int archive;
        std::string folder;
        std::string name;
    };
    const Case cases[] = {
        {"3|0|Mapvale", 3, 0, "", "Mapvale"},
        {"  12|1|Info/Movies/intro.html \r", 12, 1, "Info/Movies/", "intro.html"},
        {"7|0|Data\\Sub\\a.bin", 7, 0, "Data/Sub/", "a.bin"},
        {"-2|+1|./x.txt", -2, 1, "", "x.txt"},
        {"5|0|a|b", 5, 0, "", "a|b"},
    };
    for (const Case& c : cases) {
        const auto entry = ParsePatchLine(c.line);
        ASSERT_TRUE(entry) << c.line;
        EXPECT_EQ(entry->version, c.version) << c.line;
        EXPECT_EQ(entry->archive, c.archive) << c.line;
        EXPECT_EQ(entry->folder, c.folder) << c.line;
        EXPECT_EQ(entry->name, c.name) << c.line;
    }
}

TEST(PatchLineTest, RefusesLinesThatAreNotSafeEntries) {
    for (const std::string& line : std::vector<std::string>{
             "", "3|0", "x|0|a", "3|y|a", "99999999999|0|a", "3|0|", "3|0|Info/", "3|0|../a",
             "3|0|Info/../../a", "3|0|/etc/passwd", "3|0|C:evil", "3|0|..\\a",
             std::string("3|0|a\0b", 7), "3|0|" + std::string(kMaxPatchLineBytes, 'a')}) {
        EXPECT_FALSE(ParsePatchLine(line)) << line;
    }
}

TEST(PatchLineTest, DownloadNameOfAnArchiveEndsAtTheFirstDot) {
    EXPECT_EQ(DownloadName(Entry(1, "Mapvale", 1)), "Mapvale.zip");
    EXPECT_EQ(DownloadName(Entry(1, "Info/Movie.v2.html", 1)), "Movie.zip");
    EXPECT_EQ(DownloadName(Entry(1, "Info/Movie.v2.html", 0)), "Movie.v2.html");
    EXPECT_EQ(DownloadName(Entry(1, "Mapvale", 2)), "Mapvale");
    EXPECT_EQ(FormatPatchLine(Entry(4, "Info\\a.txt", 1)), "4|1|Info/a.txt\r\n");
}

TEST(ServerPatchListTest, ReadsEntriesAndTheDialogFlag) {
    const auto list = ParseServerPatchList(
        "\r\n 3|0|Mapvale \r\n\r\nDlgView=TRUE\r\nnot an entry\r\n4|1|Info/a.txt\r\n../x\n");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].name, "Mapvale");
    EXPECT_EQ(list.entries[1].path(), "Info/a.txt");
    EXPECT_TRUE(list.show_dialog);
    EXPECT_EQ(list.refused_lines, 2u);

    // Without "true" on its DlgView line, or without one, the update runs hidden; the last
    // DlgView line counts.
    EXPECT_FALSE(ParseServerPatchList("DlgView|false\r\n1|0|a\r\n").show_dialog);
    EXPECT_FALSE(ParseServerPatchList("1|0|a\r\n").show_dialog);
    EXPECT_FALSE(ParseServerPatchList("DlgView=true\r\nDlgView=no\r\n").show_dialog);
    // "dlgview" is not the marker: the line is just not an entry.
    EXPECT_FALSE(ParseServerPatchList("dlgview=true\r\n").show_dialog);
}

TEST(LocalPatchListTest, AnEmptyLineEndsTheList) {
    const auto local = ParseLocalPatchList("1|0|a\r\nbroken\r\n2|0|b\r\n\r\n3|0|c\r\n");
    ASSERT_EQ(local.size(), 2u);
    EXPECT_EQ(local[1].name, "b");

    testing::Sandbox box;
    EXPECT_TRUE(ReadLocalPatchList(box.Path("missing.txt")).empty());
    box.Write("big.txt", std::string(kMaxLocalListBytes + 1, '\n'));
    EXPECT_TRUE(ReadLocalPatchList(box.Path("big.txt")).empty());
}

TEST(LocalPatchListTest, CurrentByFileNameAndVersionOnly) {
    const std::vector<PatchEntry> local{Entry(5, "Info/a.txt"), Entry(2, "b.txt")};
    EXPECT_TRUE(IsCurrent(Entry(5, "Data/a.txt"), local));  // another sub-folder
    EXPECT_TRUE(IsCurrent(Entry(4, "Info/a.txt"), local));  // older on the server
    EXPECT_FALSE(IsCurrent(Entry(6, "Info/a.txt"), local));
    EXPECT_FALSE(IsCurrent(Entry(1, "Info/A.txt"), local));  // case counts
    EXPECT_FALSE(IsCurrent(Entry(1, "c.txt"), local));
    EXPECT_FALSE(IsCurrent(Entry(1, "a.txt"), {}));
}

TEST(LocalPatchListTest, FailedEntriesKeepTheirOldLine) {
    const std::vector<PatchEntry> server{Entry(3, "a"), Entry(3, "Sub/b"), Entry(3, "c"),
                                         Entry(3, "d")};
    const std::vector<PatchEntry> local{Entry(1, "Old/b"), Entry(1, "gone"), Entry(3, "d")};
    // a installed, b failed (had a line), c failed (had none), d current; "gone" is not this
    // server's (the other program's area may list it) and stays.
    const auto recorded = RecordedPatchList(server, local, {true, false, false, true});
    EXPECT_EQ(FormatPatchList(recorded), "3|0|a\r\n1|0|Old/b\r\n3|0|d\r\n1|0|gone\r\n");

    testing::Sandbox box;
    const std::string path = box.Path("program/Info/UpdateInfo.txt");
    ASSERT_TRUE(WriteLocalPatchList(path, recorded));
    EXPECT_EQ(FormatPatchList(ReadLocalPatchList(path)), FormatPatchList(recorded));
}

}  // namespace
}  // namespace mapvale::update
