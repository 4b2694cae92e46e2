#include "ZipModule/archive_start.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace mapvale::zipmodule {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;           // "PK\5\6"
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;      // "PK\6\6"
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;  // "PK\6\7"
constexpr std::uint32_t kDirectorySignature = 0x02014b50;     // "PK\1\2"
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;  // without extensible data

std::uint64_t Little(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// The directory that a candidate end record describes.
struct Directory {
    std::uint64_t end = 0;  // stream offset of the record that follows the directory
    std::uint64_t size = 0;
    std::uint64_t offset = 0;  // as recorded, relative to the archive's start
};

enum class Check { kOk, kNotThisRecord, kReadError };

// Zip64 archives keep the directory's size and offset in a Zip64 end record, found through the
// locator just before the end record. The locator's own offset is a recorded one and misses a
// stub put in front, so the Zip64 end record is first looked for right before the locator,
// where writers put it.
Check ReadZip64Directory(std::uint64_t locator_at, const StreamRead& read, Directory* directory) {
    unsigned char locator[kLocatorSize];
    if (!read(locator_at, locator, sizeof locator)) {
        return Check::kReadError;
    }
    if (Little(locator, 4) != kZip64LocatorSignature) {
        return Check::kNotThisRecord;
    }
    const std::uint64_t recorded = Little(locator + 8, 8);
    std::optional<std::uint64_t> record_at;
    unsigned char record[kZip64EndSize];
    if (locator_at >= kZip64EndSize) {
        const std::uint64_t at = locator_at - kZip64EndSize;
        if (!read(at, record, sizeof record)) {
            return Check::kReadError;
        }
        if (Little(record, 4) == kZip64EndSignature &&
            Little(record + 4, 8) == kZip64EndSize - 12) {
            record_at = at;
        }
    }
    if (!record_at && recorded + kZip64EndSize <= locator_at) {
        if (!read(recorded, record, sizeof record)) {
            return Check::kReadError;
        }
        if (Little(record, 4) == kZip64EndSignature) {
            record_at = recorded;
        }
    }
    if (!record_at) {
        return Check::kNotThisRecord;
    }
    directory->end = *record_at;
    directory->size = Little(record + 40, 8);
    directory->offset = Little(record + 48, 8);
    return Check::kOk;
}

}  // namespace

ArchiveStart FindArchiveStart(std::uint64_t stream_size, const StreamRead& read) {
    ArchiveStart result;
    if (stream_size < kEndSize) {
        return result;
    }
    const std::size_t tail_size =
        static_cast<std::size_t>(std::min<std::uint64_t>(stream_size, kEndSize + kMaxComment));
    const std::uint64_t tail_at = stream_size - tail_size;
    std::vector<unsigned char> tail(tail_size);
    if (!read(tail_at, tail.data(), tail.size())) {
        result.status = ArchiveStart::Status::kReadError;
        return result;
    }
    // The record nearest the end wins, as long as it holds together: its comment ends within
    // the stream and a central directory lies where it points. One that points before the
    // stream's start, or at a directory that is not there, is kept as the answer only when no
    // record holds together.
    ArchiveStart fallback;
    for (std::size_t pos = tail_size - kEndSize + 1; pos-- > 0;) {
        const unsigned char* record = tail.data() + pos;
        if (Little(record, 4) != kEndSignature) {
            continue;
        }
        const std::size_t comment = static_cast<std::size_t>(Little(record + 20, 2));
        if (pos + kEndSize + comment > tail_size) {
            continue;
        }
        const std::uint64_t record_at = tail_at + pos;
        Directory directory{record_at, Little(record + 12, 4), Little(record + 16, 4)};
        if (record_at >= kLocatorSize) {
            Directory zip64;
            const Check check = ReadZip64Directory(record_at - kLocatorSize, read, &zip64);
            if (check == Check::kReadError) {
                result.status = ArchiveStart::Status::kReadError;
                return result;
            }
            if (check == Check::kOk) {
                directory = zip64;
            }
        }
        ArchiveStart candidate;
        if (directory.size > directory.end) {
            candidate.status = ArchiveStart::Status::kMissingBytes;
            candidate.missing = directory.size - directory.end + directory.offset;
        } else {
            const std::uint64_t directory_at = directory.end - directory.size;
            unsigned char signature[4] = {};
            if (directory.size > 0 && !read(directory_at, signature, sizeof signature)) {
                result.status = ArchiveStart::Status::kReadError;
                return result;
            }
            if (directory.size > 0 && Little(signature, 4) != kDirectorySignature) {
                candidate.status = ArchiveStart::Status::kBadDirectory;
            } else if (directory.offset > directory_at) {
                candidate.status = ArchiveStart::Status::kMissingBytes;
                candidate.missing = directory.offset - directory_at;
            } else {
                candidate.status = ArchiveStart::Status::kFound;
                candidate.offset = directory_at - directory.offset;
                return candidate;
            }
        }
        if (fallback.status == ArchiveStart::Status::kNoDirectoryEnd) {
            fallback = candidate;
        }
    }
    return fallback;
}

}  // namespace mapvale::zipmodule
