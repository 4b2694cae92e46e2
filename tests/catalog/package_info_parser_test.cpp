#include "catalog/package_info_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mapvale::catalog {
namespace {

// Joins lines with CR LF, the only line end the file format knows.
std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

PackageInfo Parse(const std::string& text) {
    PackageInfo context;
    ParsePackageInfoText(context, text);
    return context;
}

TEST(PackageInfoParserTest, ReadsHeaderVariablesAndEntries) {
    PackageInfo context;
    context.user_id = "kim";
    ParsePackageInfoText(context, Crlf({
                                      "PACKAGE_TYPE = \"ORLA_v4\"",
                                      "# a comment in the header",
                                      "ROOT_URL=http://maps.example/orla",
                                      "[HEADER_END]",
                                      "[FILE_0001]",
                                      "FILEINFO_PATH=\"Data\"",
                                      "DEST_PATH=\\Swiftpath_OrLa\\Data\\",
                                      "AG_FILENAME=\"Korea.gpi\"",
                                      "AG_FILESIZE=1048576",
                                      "AG_FILECRC=4294967295",
                                      "AG_NUMSPAN=3",
                                      "AG_ZIPNAME=Korea.zip",
                                      "AG_LASTNAME=Korea003.zip",
                                      "AG_ZIPSIZE=524288",
                                      "AG_DEPTH=2",
                                      "AG_PACKAGE=7",
                                      "AG_VER=20240115",
                                      "ERROR=-3",
                                      "PRODUCT_INFO=map",
                                      "#",
                                  }));
    ASSERT_EQ(context.variables.size(), 4u);
    EXPECT_EQ(context.variables[0], (std::pair<std::string, std::string>("USERID", "kim")));
    EXPECT_EQ(context.variables[1].first, "PASSWORD");
    EXPECT_EQ(context.variables[2],
              (std::pair<std::string, std::string>("PACKAGE_TYPE", "ORLA_v4")));
    EXPECT_EQ(context.root_url, "http://maps.example/orla/");

    ASSERT_EQ(context.entries.size(), 1u);
    const FileEntry& e = context.entries[0];
    EXPECT_EQ(e.information_path, "http://maps.example/orla//Data");
    EXPECT_EQ(e.destination_path, "Swiftpath_OrLa/Data/");  // relative, '/' separators
    EXPECT_EQ(e.file_name, "Korea.gpi");
    EXPECT_EQ(e.file_size, 1048576);
    EXPECT_EQ(e.crc, 0xFFFFFFFFu);
    EXPECT_EQ(e.part_count, 3);
    EXPECT_EQ(e.archive_name, "Korea.zip");
    EXPECT_EQ(e.last_part_name, "Korea003.zip");
    EXPECT_EQ(e.archive_size, 524288);
    EXPECT_EQ(e.depth, 2);
    EXPECT_EQ(e.package_number, 7);
    EXPECT_EQ(e.version, 20240115);
    EXPECT_EQ(e.error, -3);
    EXPECT_EQ(e.product_information, "map");
}

TEST(PackageInfoParserTest, LineFeedsAloneDoNotEndLines) {
    const PackageInfo context = Parse(
        "PACKAGE_TYPE=ORLA_v4\n[FILE_1]\nAG_FILENAME=a.bin\nAG_VER=1\n#\n[FILE_2]\n"
        "AG_FILENAME=b.bin\n#\n");
    EXPECT_TRUE(context.entries.empty());
    // The whole file is one header line; its value is cut at the first line feed.
    EXPECT_EQ(context.variables.back().first, "PACKAGE_TYPE");
}

TEST(PackageInfoParserTest, FieldsCarryOverOrResetBetweenEntries) {
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "FILEINFO_PATH=maps",
        "DEST_PATH=Tarno/MapData",
        "AG_ZIPNAME=one.zip",
        "AG_LASTNAME=one.zip",
        "AG_FILENAME=one.bin",
        "FOLDER_NAME=first",
        "PRODUCT_INFO=p",
        "AG_FILESIZE=10",
        "AG_VER=4",
        "#",
        "[FILE_2]",
        "AG_FILENAME=two.bin",
        "#",
        "[FILE_3]",
        "AG_FILENAME=three.bin",
        "AG_DEPTH=5",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 3u);
    const FileEntry& first = context.entries[0];
    const FileEntry& second = context.entries[1];
    EXPECT_EQ(first.depth, 0);    // before the first entry the depth is 0 ...
    EXPECT_EQ(second.depth, -1);  // ... and -1 after every entry
    EXPECT_EQ(context.entries[2].depth, 5);
    // Inherited from the entry before.
    EXPECT_EQ(second.destination_path, "Tarno/MapData");
    EXPECT_EQ(second.information_path, "/maps");
    EXPECT_EQ(second.archive_name, "one.zip");
    EXPECT_EQ(second.last_part_name, "one.zip");
    // Reset.
    EXPECT_EQ(second.folder_name, "");
    EXPECT_EQ(second.product_information, "");
    EXPECT_EQ(second.file_size, 0);
    EXPECT_EQ(second.version, 0);
}

TEST(PackageInfoParserTest, AnItemWithoutFileNameIsDroppedAndLeaksNothing) {
    const PackageInfo context = Parse(Crlf({
        "[FOLDER_1]",
        "FOLDER_NAME=Maps",
        "AG_FOLDERSIZE=99",
        "#",
        "[FILE_1]",
        "AG_FILENAME=a.bin",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 1u);
    EXPECT_EQ(context.entries[0].folder_name, "");
    EXPECT_EQ(context.entries[0].folder_size, 0);
    EXPECT_EQ(context.entries[0].depth, -1);
}

TEST(PackageInfoParserTest, KeysMatchByContainingAKnownKeyInOrder) {
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "MY_AG_VER_X=12",
        "  AG_FILENAME  =a.bin",
        "DEST_PATH_ERROR=7",  // ERROR comes first in the order
        "UNKNOWN_KEY=1",
        "[SECTION_MARK]",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 1u);
    EXPECT_EQ(context.entries[0].version, 12);
    EXPECT_EQ(context.entries[0].error, 7);
    EXPECT_EQ(context.entries[0].destination_path, "");
    EXPECT_EQ(context.entries[0].file_name, "a.bin");
}

TEST(PackageInfoParserTest, EndMarkDropsTheOpenEntryAndStopsReading) {
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "AG_FILENAME=stored.bin",
        "#",
        "[FILE_2]",
        "AG_FILENAME=open.bin",
        "AG_VER=3",
        "# END",
        "[FILE_3]",
        "AG_FILENAME=after.bin",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 1u);
    EXPECT_EQ(context.entries[0].file_name, "stored.bin");
}

TEST(PackageInfoParserTest, ValuesAreCutAtQuotesAndNumbersAreLeadingDigits) {
    const PackageInfo context = Parse(Crlf({
        "TITLE=first\"second\"third",
        "MY_NOTIFY_URL=first",
        "NOTIFY_URL=second",
        "[FILE_1]",
        "AG_FILENAME=\"a\"\".bin\"",
        "AG_FILESIZE=123abc",
        "AG_ZIPSIZE=none",
        "AG_NUMSPAN=99999999999999",  // saturates instead of overflowing
        "AG_FILECRC=-1",              // signed CRC text reads as the same 32 bits
        "#",
    }));
    // The first two non-empty pieces: joined by one space in the header, directly in entries.
    EXPECT_EQ(LookupVariable(context, "TITLE"), "first second");
    EXPECT_EQ(LookupVariable(context, "NOTIFY_URL"), "first");  // the first name containing it
    ASSERT_EQ(context.entries.size(), 1u);
    EXPECT_EQ(context.entries[0].file_name, "a.bin");
    EXPECT_EQ(context.entries[0].file_size, 123);
    EXPECT_EQ(context.entries[0].archive_size, 0);
    EXPECT_EQ(context.entries[0].part_count, 2147483647);
    EXPECT_EQ(context.entries[0].crc, 0xFFFFFFFFu);
}

TEST(PackageInfoParserTest, FileSizesAreUnsigned32BitNumbers) {
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "AG_FILENAME=three_gib.map",
        "AG_FILESIZE=3221225472",  // 3 GiB: beyond a signed 32-bit number
        "AG_ZIPSIZE=4294967295",   // the largest size there is
        "#",
        "[FILE_2]",
        "AG_FILENAME=odd.map",
        "AG_FILESIZE=4294967296",  // too large: the largest size
        "AG_ZIPSIZE=-5",           // no size
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 2u);
    EXPECT_EQ(context.entries[0].file_size, 3221225472u);
    EXPECT_EQ(context.entries[0].archive_size, 4294967295u);
    EXPECT_EQ(context.entries[1].file_size, 4294967295u);
    EXPECT_EQ(context.entries[1].archive_size, 0u);
    EXPECT_EQ(ParseFileSize(" 12 bytes"), 12u);
    EXPECT_EQ(ParseFileSize("+7"), 0u);
}

TEST(PackageInfoParserTest, ExpandsVariables) {
    const PackageInfo context = Parse(Crlf({
        "ROOT=abc",
        "MAPS=$ROOT$/maps",
        "CUT=x$ROOT$$ROOT$",
        "KEEP=$unknown$/y",
        "ROOT_URL=http://$ROOT$",
        "[FILE_1]",
        "AG_FILENAME=$ROOT$.bin",
        "DEST_PATH=$ROOT$/Data",
        "#",
    }));
    EXPECT_EQ(LookupVariable(context, "MAPS"), "abc/maps");
    EXPECT_EQ(LookupVariable(context, "CUT"), "xabc");  // "$$" cuts off the rest
    EXPECT_EQ(LookupVariable(context, "KEEP"), "unknown/y");
    EXPECT_EQ(context.root_url, "http://abc/");
    ASSERT_EQ(context.entries.size(), 1u);
    EXPECT_EQ(context.entries[0].file_name, "abc.bin");
    EXPECT_EQ(context.entries[0].destination_path, "Data");  // references removed
}

TEST(PackageInfoParserTest, ExpansionCannotGrowWithoutLimit) {
    std::vector<std::string> lines = {"A=" + std::string(900, 'a')};
    std::string refs;
    for (int i = 0; i < 200; ++i) {
        refs += "$A";
    }
    lines.push_back("B=" + refs + "$");
    lines.push_back("C=" + refs + "$");
    const PackageInfo context = Parse(Crlf(lines));
    EXPECT_LE(LookupVariable(context, "B").size(), 4096u);
    EXPECT_LE(LookupVariable(context, "C").size(), 4096u);
}

TEST(PackageInfoParserTest, LongLinesAreCut) {
    // The value lies beyond the line limit: cut away, so the name is empty and nothing stored.
    const std::string padding(kMaxPackageInfoLineBytes, ' ');
    const std::string korean = "가";  // three bytes in UTF-8
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "AG_FILENAME" + padding + "=far.bin",
        "#",
        "AG_FILENAME=" + std::string(kMaxPackageInfoLineBytes - 13, 'x') + korean + "tail",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 1u);
    // Cut before the character that would cross the limit, never inside it.
    EXPECT_EQ(context.entries[0].file_name, std::string(kMaxPackageInfoLineBytes - 13, 'x'));
}

TEST(PackageInfoParserTest, RefusesNamesThatLeaveThePackageFolder) {
    const PackageInfo context = Parse(Crlf({
        "[FILE_1]",
        "AG_FILENAME=../../outside.bin",
        "#",  //
        "[FILE_2]",
        "AG_FILENAME=/etc/passwd",
        "#",  //
        "[FILE_3]",
        "AG_FILENAME=C:evil.bin",
        "#",  //
        "[FILE_4]",
        "AG_FILENAME=ok.bin",
        "DEST_PATH=..\\..\\Windows",
        "#",  //
        "[FILE_5]",
        "AG_FILENAME=pipe|name.bin",
        "DEST_PATH=Data",
        "#",  //
        "[FILE_6]",
        "AG_FILENAME=span.bin",
        "AG_ZIPNAME=..\\span.zip",
        "#",  //
        "[FILE_7]",
        "AG_FILENAME=good.bin",
        "AG_ZIPNAME=good.zip",
        "#",  //
        "[FILE_8]",
        "AG_FILENAME=.\\sub\\\\deep.bin",
        "DEST_PATH=/Tarno//Data",
        "#",
    }));
    ASSERT_EQ(context.entries.size(), 2u);
    EXPECT_EQ(context.entries[0].file_name, "good.bin");
    EXPECT_EQ(context.entries[0].destination_path, "Data");
    EXPECT_EQ(context.entries[1].file_name, "sub/deep.bin");
    EXPECT_EQ(context.entries[1].destination_path, "Tarno/Data");
}

}  // namespace
}  // namespace mapvale::catalog
