#include "catalog/version_header.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

using testing::Sandbox;

TEST(VersionHeaderTest, ReadsEveryHeaderField) {
    const std::string label = platform::Utf8ToCp949("봄 지도").text;
    const std::optional<VersionFileHeader> header =
        ParseVersionHeader("*|2024051|37|Tarno|" + label + "|2|5|1\nMap|a.dat|3|0\n");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->map_version, 2024051);
    EXPECT_EQ(header->second_version, 37);
    EXPECT_EQ(header->package_name, "Tarno");
    EXPECT_EQ(header->version_label, "봄 지도");
    EXPECT_EQ(header->colour, "2");
    EXPECT_EQ(header->option, "5");
    EXPECT_EQ(header->completion_mark, 1);
}

TEST(VersionHeaderTest, ToleratesWindowsLineEndsBlankLinesAndShortHeaders) {
    std::optional<VersionFileHeader> header = ParseVersionHeader("\r\n\n*|5|6|Pkg|v|1|0|0\r\n");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->package_name, "Pkg");
    EXPECT_EQ(header->completion_mark, 0);
    header = ParseVersionHeader("*|12|x");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->map_version, 12);
    EXPECT_TRUE(header->package_name.empty());
    EXPECT_TRUE(header->colour.empty());
    EXPECT_EQ(ParseVersionHeader("*| 99999999999|-3|P")->map_version, 2147483647);
    EXPECT_EQ(ParseVersionHeader("*| 99999999999|-3|P")->second_version, -3);
}

TEST(VersionHeaderTest, AnythingButAHeaderFirstIsNoHeader) {
    EXPECT_FALSE(ParseVersionHeader(""));
    EXPECT_FALSE(ParseVersionHeader("\n\n"));
    EXPECT_FALSE(ParseVersionHeader("Map|a.dat|3|0\n*|1|2|P|v|1|0|1\n"));
    EXPECT_FALSE(ParseVersionHeader("**|1|2|P\n"));
    EXPECT_FALSE(ParseVersionHeader("*|1|2|" + std::string(300, 'P') + "\n"));
    EXPECT_FALSE(ParseVersionHeader("*|1|2|\xff\xff|v\n"));  // not CP949
}

TEST(VersionHeaderTest, CardModelAndHeaderFromTheProductFolder) {
    Sandbox box;
    box.Write("p/b.ver", "*|1|1|Beta|b|1|0|1\n");
    box.Write("p/a.VER", "*|2|2|Alpha|a|1|0|0\n");
    box.Write("p/Alpha.ver", "*|3|3|Alpha|aa|1|0|1\n");
    box.Write("p/notes.txt", "*|9|9|Notes|n|1|0|1\n");
    EXPECT_EQ(ReadCardModel(box.Path("p")), "Alpha");  // "Alpha.ver" sorts first
    EXPECT_EQ(ReadCardHeader(box.Path("p"), "Alpha")->map_version, 3);
    EXPECT_EQ(ReadCardHeader(box.Path("p") + "/", "Beta"), std::nullopt);
    EXPECT_FALSE(ReadCardHeader(box.Path("p"), ""));
    EXPECT_FALSE(ReadCardHeader(box.Path("p/sub"), "../Alpha"));
    EXPECT_EQ(ReadCardModel(box.Path("empty")), "");
    box.Write("q/x.ver", "no header here\n");
    EXPECT_EQ(ReadCardModel(box.Path("q")), "");
}

}  // namespace
}  // namespace mapvale::catalog
