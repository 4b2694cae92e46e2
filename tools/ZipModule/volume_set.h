#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::zipmodule {

// One file of a volume set, with its size when the set was listed.
struct Volume {
    std::string path;
    std::uint64_t size = 0;
};

// The path of numbered volume `index` of the archive at `archive_path`: the archive's extension
// replaced by the index in at least three digits ("a/Korea.zip", 1 -> "a/Korea.001"). A name
// without an extension gets the number appended ("a/Korea" -> "a/Korea.001").
std::string VolumePath(std::string_view archive_path, std::size_t index);

struct VolumeListing {
    enum class Problem {
        kNone,
        kArchiveMissing,     // neither the archive nor a first numbered volume exists
        kLastVolumeMissing,  // base.000 exists but the archive itself (the last volume) not yet
        kUnreadable,         // a volume exists but cannot be examined; see `error`
    };

    Problem problem = Problem::kNone;
    // Stream order: base.000, base.001, ... as long as they follow on without a gap, then the
    // archive itself. An archive without numbered volumes is a set of one.
    std::vector<Volume> volumes;
    std::string failed_path;  // the volume concerned by a problem
    int error = 0;            // errno for kUnreadable
};

// Looks for the volumes of `archive_path` (the last volume, which carries the archive's own
// name) in its folder.
VolumeListing ListVolumes(const std::string& archive_path);

// The first volume that some process holds open for writing (a download or a copy still
// running), or nothing. Volumes that cannot be probed count as not being written.
const Volume* FindVolumeBeingWritten(const std::vector<Volume>& volumes);

// The volumes read as one byte stream, with at most one file open at a time.
//
// Thread safety: none; one thread reads.
class VolumeReader {
  public:
    explicit VolumeReader(std::vector<Volume> volumes);
    ~VolumeReader();
    VolumeReader(const VolumeReader&) = delete;
    VolumeReader& operator=(const VolumeReader&) = delete;

    const std::vector<Volume>& volumes() const { return volumes_; }
    // The sum of the listed volume sizes.
    std::uint64_t size() const { return size_; }

    // Reads up to `length` bytes at `offset`, fewer only at the end of the stream. -1 when a
    // volume cannot be opened or read, or holds fewer bytes than when it was listed; failure()
    // then says why and errno is set.
    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length);
    // True when exactly `length` bytes were read at `offset`.
    bool ReadExact(std::uint64_t offset, void* buffer, std::size_t length);

    // The last read failure, one line, and its errno; empty and 0 when none happened.
    const std::string& failure() const { return failure_; }
    int error() const { return error_; }

  private:
    bool OpenVolume(std::size_t index);
    void CloseVolume();
    void Fail(const std::string& what, int error);

    std::vector<Volume> volumes_;
    std::vector<std::uint64_t> starts_;  // stream offset of each volume's first byte
    std::uint64_t size_ = 0;
    std::size_t open_index_ = 0;
    int fd_ = -1;
    std::string failure_;
    int error_ = 0;
};

}  // namespace mapvale::zipmodule
