#include "mapvale-servers/byte_range.h"

#include <gtest/gtest.h>

namespace mapvale::servers {
namespace {

using Kind = ByteRange::Kind;

struct RangeCase {
    const char* header;
    std::uint64_t size;
    Kind kind;
    std::uint64_t first;
    std::uint64_t last;
};

TEST(ByteRangeTest, ReadsSingleRangesAgainstTheSize) {
    const RangeCase cases[] = {
        {"bytes=0-9", 100, Kind::kPart, 0, 9},
        {"bytes=90-", 100, Kind::kPart, 90, 99},
        {"bytes=-10", 100, Kind::kPart, 90, 99},
        {"bytes=-500", 100, Kind::kPart, 0, 99},     // a suffix longer than the file: all of it
        {"bytes=95-200", 100, Kind::kPart, 95, 99},  // the last byte is cut to the end
        {"bytes=99-99", 100, Kind::kPart, 99, 99},
        {" Bytes = 5 - 6 ", 100, Kind::kPart, 5, 6},
        {"bytes=100-", 100, Kind::kUnsatisfiable, 0, 0},  // starts at the end
        {"bytes=150-160", 100, Kind::kUnsatisfiable, 0, 0},
        {"bytes=99999999999999999999999-", 100, Kind::kUnsatisfiable, 0, 0},
        {"bytes=-0", 100, Kind::kUnsatisfiable, 0, 0},
        {"bytes=0-", 0, Kind::kUnsatisfiable, 0, 0},  // nothing of an empty file exists
        {"bytes=-5", 0, Kind::kUnsatisfiable, 0, 0},
        // Whatever cannot be read as one byte range is answered with the whole file.
        {"", 100, Kind::kWhole, 0, 0},
        {"bytes=0-1,5-6", 100, Kind::kWhole, 0, 0},
        {"items=0-9", 100, Kind::kWhole, 0, 0},
        {"bytes=9-0", 100, Kind::kWhole, 0, 0},
        {"bytes=a-b", 100, Kind::kWhole, 0, 0},
        {"bytes=-", 100, Kind::kWhole, 0, 0},
        {"bytes 0-9", 100, Kind::kWhole, 0, 0},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.header);
        const ByteRange range = ParseByteRange(c.header, c.size);
        EXPECT_EQ(range.kind, c.kind);
        if (c.kind == Kind::kPart) {
            EXPECT_EQ(range.first, c.first);
            EXPECT_EQ(range.last, c.last);
        }
    }
}

TEST(ByteRangeTest, LargeFilesAndContentRange) {
    const std::uint64_t size = 5ULL * 1024 * 1024 * 1024;
    const ByteRange range = ParseByteRange("bytes=4294967296-", size);
    ASSERT_EQ(range.kind, Kind::kPart);
    EXPECT_EQ(range.length(), size - 4294967296ULL);
    EXPECT_EQ(ContentRangeValue(range, size), "bytes 4294967296-5368709119/5368709120");
}

}  // namespace
}  // namespace mapvale::servers
