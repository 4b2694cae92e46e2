#include <gtest/gtest.h>

#include "ZipModule/command_line.h"
#include "ZipModule/member_name.h"
#include "ZipModule/volume_set.h"

namespace mapvale::zipmodule {
namespace {

// "지도" (map) in CP949 and in UTF-8.
const std::string kMapCp949 = "\xC1\xF6\xB5\xB5";
const std::string kMapUtf8 = "\xEC\xA7\x80\xEB\x8F\x84";

TEST(DecodeMemberNameTest, UnmarkedNamesAreCp949MarkedOnesUtf8) {
    EXPECT_EQ(DecodeMemberName(kMapCp949 + "/a.txt", false), kMapUtf8 + "/a.txt");
    EXPECT_EQ(DecodeMemberName(kMapUtf8 + "/a.txt", true), kMapUtf8 + "/a.txt");
    EXPECT_EQ(DecodeMemberName("plain/name.bin", true), "plain/name.bin");
    // Written unmarked by an archiver on a UTF-8 system: not CP949, so taken as UTF-8.
    EXPECT_EQ(DecodeMemberName(kMapUtf8, false), kMapUtf8);
    // Marked but not UTF-8, and neither encoding at all.
    EXPECT_EQ(DecodeMemberName(kMapCp949, true), std::nullopt);
    EXPECT_EQ(DecodeMemberName("\x80\xFF", false), std::nullopt);
}

TEST(LinkStaysInsideTest, TargetsAreJudgedFromTheLinksFolder) {
    EXPECT_TRUE(LinkStaysInside("link", "file.txt"));
    EXPECT_TRUE(LinkStaysInside("a/b/link", "../../file.txt"));
    EXPECT_TRUE(LinkStaysInside("a/link", "./x/../y"));
    EXPECT_FALSE(LinkStaysInside("link", "../file.txt"));
    EXPECT_FALSE(LinkStaysInside("a/b/link", "../../../file.txt"));
    EXPECT_FALSE(LinkStaysInside("a/link", "x/../../../y"));
    EXPECT_FALSE(LinkStaysInside("a/link", "/etc/passwd"));
    EXPECT_FALSE(LinkStaysInside("a/link", "C:\\Windows"));
    EXPECT_FALSE(LinkStaysInside("a/link", "..\\..\\x"));
    EXPECT_FALSE(LinkStaysInside("a/link", ""));
}

TEST(VolumePathTest, NumberReplacesTheExtension) {
    EXPECT_EQ(VolumePath("/d/Korea.zip", 0), "/d/Korea.000");
    EXPECT_EQ(VolumePath("/d/Korea.zip", 12), "/d/Korea.012");
    EXPECT_EQ(VolumePath("/d/Korea.zip", 1234), "/d/Korea.1234");
    EXPECT_EQ(VolumePath("/d.x/Korea", 1), "/d.x/Korea.001");
    EXPECT_EQ(VolumePath("/d/.hidden", 1), "/d/.hidden.001");
    EXPECT_EQ(VolumePath("HTML.exe", 2), "HTML.002");
}

TEST(ParseCommandLineTest, OnePairOfQuotesGoesAndSeparatorsBecomeSlashes) {
    const ParsedCommandLine parsed = ParseCommandLine({"\"C:\\dl\\tmp\\Patch.zip\""}, "/opt/mv/");
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.invocation.archive, "C:/dl/tmp/Patch.zip");
    EXPECT_EQ(parsed.invocation.destination, "/opt/mv/");
    EXPECT_EQ(StripQuotes("\"\"a\"\""), "\"a\"");
    EXPECT_EQ(StripQuotes("\"a"), "\"a");
    EXPECT_EQ(StripQuotes("\""), "\"");
}

}  // namespace
}  // namespace mapvale::zipmodule
