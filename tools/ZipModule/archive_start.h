#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace mapvale::zipmodule {

// Where a zip archive begins inside a byte stream, worked out from its end-of-central-directory
// record: the record's position, less the directory's size, less the directory's recorded
// offset. A self-extracting program has its stub in front of the archive; when the stub was
// simply put in front, the recorded offsets do not count it and the archive begins after it;
// when the offsets were adjusted to count it ("zip -A"), the archive begins at 0.
struct ArchiveStart {
    enum class Status {
        kFound,           // `offset` is where the archive's offset 0 lies in the stream
        kNoDirectoryEnd,  // no end-of-central-directory record: not a zip archive, or its end
                          // is missing
        kBadDirectory,    // a record was found but no central directory where it points
        kMissingBytes,    // the directory lies `missing` bytes nearer the start than its
                          // recorded offset allows: bytes are missing in front of it
        kReadError,       // the stream could not be read
    };

    Status status = Status::kNoDirectoryEnd;
    std::uint64_t offset = 0;
    std::uint64_t missing = 0;
};

// Reads exactly `length` bytes at `offset` of the stream; false when it cannot.
using StreamRead = std::function<bool(std::uint64_t offset, void* buffer, std::size_t length)>;

// Finds the archive's start in a stream of `stream_size` bytes, reading at most its last 64 KiB
// and the few records that a Zip64 archive puts before the end record. A record inside the
// archive comment that merely looks like an end record is passed over, because no central
// directory lies where it points.
ArchiveStart FindArchiveStart(std::uint64_t stream_size, const StreamRead& read);

}  // namespace mapvale::zipmodule
