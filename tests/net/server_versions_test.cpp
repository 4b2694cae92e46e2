#include "net/server_versions.h"

#include <gtest/gtest.h>

namespace mapvale::net {
namespace {

struct Line {
    std::string text;
    std::int32_t map = 0;
    std::int32_t camera = 0;
};

Line Parse(std::string_view text, Line start = {}) {
    ParseVersionRecord(text, start.text, start.map, start.camera);
    return start;
}

TEST(ServerVersionsTest, YearMonthCountPerSection) {
    const Line line = Parse(
        "Ver=2009.12 Summer\r\n[map]\r\nyear=9\r\nmonth=12\r\ncount=3\r\n"
        "[camera]\r\nYear=9\r\nMONTH=12\r\ncount=3");
    EXPECT_EQ(line.map, 20091203);
    EXPECT_EQ(line.camera, 2009123);
    EXPECT_EQ(line.text, "2009.12 summer");  // lower-cased with the key
}

TEST(ServerVersionsTest, OrderAndMatchingRules) {
    // Month before year is lost; "version" contains "ver"; lines before a section only set the
    // text; other keys are ignored.
    Line line = Parse("year=5\r\nversion=v2\r\n[map]\r\nmonth=7\r\nyear=10\r\nfoo=1\r\n");
    EXPECT_EQ(line.map, 20100000);
    EXPECT_EQ(line.camera, 0);
    EXPECT_EQ(line.text, "v2");
    // A missing section keeps what an earlier fetch left; LF-only text is one line.
    line = Parse("[camera]\r\nyear=11", Line{"old", 20090101, 0});
    EXPECT_EQ(line.map, 20090101);
    EXPECT_EQ(line.camera, 2011000);
    EXPECT_EQ(Parse("[map]\nyear=9\n").map, 0);
    // Server numbers cannot overflow the record.
    EXPECT_EQ(Parse("[map]\r\nyear=99999999999\r\n").map, 2147483647);
}

}  // namespace
}  // namespace mapvale::net
