#include "ZipModule/volume_set.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mapvale::zipmodule {

namespace {

// A download is cut into at most a few hundred spans; far more numbered files beside an
// archive are not a volume set this program should read.
constexpr std::size_t kMaxVolumes = 100000;

enum class Presence { kMissing, kFile, kError };

Presence Examine(const std::string& path, std::uint64_t* size, int* error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        *error = errno;
        return errno == ENOENT || errno == ENOTDIR ? Presence::kMissing : Presence::kError;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return Presence::kError;
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return Presence::kFile;
}

// True when another process (or this one) has `path` open for writing. A read lease can only
// be taken on a file that nobody holds open for writing; it is given back at once. The lease
// break signal is ignored for the instant it is held, so a writer opening the file right then
// costs it nothing but that instant.
bool OpenForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGIO, &ignore, &previous);
    const bool busy = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    if (!busy) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    }
    ::close(fd);
    ::sigaction(SIGIO, &previous, nullptr);
    return busy;
}

}  // namespace

std::string VolumePath(std::string_view archive_path, std::size_t index) {
    const std::size_t slash = archive_path.find_last_of('/');
    const std::size_t name_start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = archive_path.rfind('.');
    // A dot that starts the name (".hidden") or lies in a folder name is not an extension.
    const std::size_t base_end =
        dot != std::string_view::npos && dot > name_start ? dot : archive_path.size();
    char number[24];
    std::snprintf(number, sizeof number, ".%03zu", index);
    return std::string(archive_path.substr(0, base_end)) + number;
}

VolumeListing ListVolumes(const std::string& archive_path) {
    VolumeListing listing;
    int error = 0;
    for (std::size_t index = 0; index < kMaxVolumes; ++index) {
        Volume volume{VolumePath(archive_path, index), 0};
        const Presence presence = Examine(volume.path, &volume.size, &error);
        if (presence == Presence::kMissing) {
            break;
        }
        if (presence == Presence::kError) {
            listing.problem = VolumeListing::Problem::kUnreadable;
            listing.failed_path = volume.path;
            listing.error = error;
            return listing;
        }
        listing.volumes.push_back(std::move(volume));
    }
    Volume last{archive_path, 0};
    switch (Examine(archive_path, &last.size, &error)) {
        case Presence::kFile:
            listing.volumes.push_back(std::move(last));
            break;
        case Presence::kMissing:
            listing.problem = listing.volumes.empty() ? VolumeListing::Problem::kArchiveMissing
                                                      : VolumeListing::Problem::kLastVolumeMissing;
            listing.failed_path = archive_path;
            listing.error = error;
            listing.volumes.clear();
            break;
        case Presence::kError:
            listing.problem = VolumeListing::Problem::kUnreadable;
            listing.failed_path = archive_path;
            listing.error = error;
            listing.volumes.clear();
            break;
    }
    return listing;
}

const Volume* FindVolumeBeingWritten(const std::vector<Volume>& volumes) {
    for (const Volume& volume : volumes) {
        if (OpenForWriting(volume.path)) {
            return &volume;
        }
    }
    return nullptr;
}

VolumeReader::VolumeReader(std::vector<Volume> volumes) : volumes_(std::move(volumes)) {
    starts_.reserve(volumes_.size());
    for (const Volume& volume : volumes_) {
        starts_.push_back(size_);
        size_ += volume.size;
    }
}

VolumeReader::~VolumeReader() {
    CloseVolume();
}

void VolumeReader::CloseVolume() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void VolumeReader::Fail(const std::string& what, int error) {
    failure_ = what;
    error_ = error;
    errno = error;
}

bool VolumeReader::OpenVolume(std::size_t index) {
    if (fd_ >= 0 && open_index_ == index) {
        return true;
    }
    CloseVolume();
    const std::string& path = volumes_[index].path;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        Fail("cannot open " + path + ": " + std::strerror(error), error);
        return false;
    }
    open_index_ = index;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

std::int64_t VolumeReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) {
    if (offset >= size_ || length == 0) {
        return 0;
    }
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    // The volume holding `offset`: the last one that starts at or before it.
    std::size_t index = static_cast<std::size_t>(
        std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin() - 1);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        while (offset - starts_[index] >= volumes_[index].size) {
            ++index;  // skips empty volumes too
        }
        if (!OpenVolume(index)) {
            return -1;
        }
        const std::uint64_t inside = offset - starts_[index];
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(length - done, volumes_[index].size - inside));
        const ssize_t n = ::pread(fd_, out + done, want, static_cast<off_t>(inside));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            Fail("cannot read " + volumes_[index].path + ": " + std::strerror(error), error);
            return -1;
        }
        if (n == 0) {
            Fail(volumes_[index].path + " became shorter while it was read", EIO);
            return -1;
        }
        done += static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool VolumeReader::ReadExact(std::uint64_t offset, void* buffer, std::size_t length) {
    return ReadAt(offset, buffer, length) == static_cast<std::int64_t>(length);
}

}  // namespace mapvale::zipmodule
