#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapvale::servers {

// What a Range header asks of a file whose size is known.
struct ByteRange {
    enum class Kind {
        kWhole,          // answer 200 with the whole file
        kPart,           // answer 206 with bytes first..last
        kUnsatisfiable,  // answer 416 with "Content-Range: bytes */<size>"
    };

    Kind kind = Kind::kWhole;
    std::uint64_t first = 0;
    std::uint64_t last = 0;  // inclusive

    std::uint64_t length() const { return last - first + 1; }
};

// Reads a Range header ("bytes=a-b", "bytes=a-", "bytes=-n") against a file of `size` bytes.
// An empty, malformed or multi-range header, or one of another unit, gives the whole file: a
// server may always answer a range request with 200. A range that starts at or past the end, a
// suffix of zero bytes, and every range of an empty file are unsatisfiable; a last byte past the
// end is cut to the end.
ByteRange ParseByteRange(std::string_view header, std::uint64_t size);

// "bytes <first>-<last>/<size>" for a part.
std::string ContentRangeValue(const ByteRange& range, std::uint64_t size);

}  // namespace mapvale::servers
