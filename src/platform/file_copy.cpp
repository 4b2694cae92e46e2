#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/files.h"

namespace mapvale::platform {

namespace {

constexpr std::string_view kTempPattern = ".mvcopy-XXXXXX";

// Closes a descriptor once; remembers whether close reported an error (a delayed write error
// on some file systems).
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool Close() {
        if (fd_ < 0) {
            return true;
        }
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

// The copy of one file into its temporary file, with the progress contract of CopyProgress.
class ChunkCopier {
public:
    ChunkCopier(int in, int out, std::uint64_t total, const CopyProgress& progress,
                const std::atomic<bool>* cancel)
        : in_(in), out_(out), total_(total), progress_(progress), cancel_(cancel) {}

    // kDone when the source's end was reached and every byte written.
    CopyOutcome Run() {
        if (!Report()) {
            return Stop(CopyResult::kCancelled, 0);
        }
        bool kernel = true;
        for (;;) {
            if (cancel_ != nullptr && cancel_->load(std::memory_order_acquire)) {
                return Stop(CopyResult::kCancelled, 0);
            }
            std::uint64_t n = 0;
            CopyOutcome failure;
            if (kernel) {
                const ssize_t got =
                    ::copy_file_range(in_, nullptr, out_, nullptr, kCopyChunkBytes, 0);
                if (got < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    // File systems (and kernels) that cannot copy between these two files: the
                    // offsets have not moved, so the plain loop takes over where we are.
                    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                        errno == EOPNOTSUPP || errno == EBADF) {
                        kernel = false;
                        continue;
                    }
                    return Stop(CopyResult::kTargetError, errno);
                }
                n = static_cast<std::uint64_t>(got);
            } else if (!ReadWriteChunk(n, failure)) {
                return failure;
            }
            if (n == 0) {
                break;
            }
            copied_ += n;
            if (copied_ > total_) {
                total_ = copied_;  // the source grew while we copied
            }
            if (!Report()) {
                return Stop(CopyResult::kCancelled, 0);
            }
        }
        if (copied_ < total_) {
            // The source shrank: the last call must still say "all of it".
            total_ = copied_;
            if (!Report()) {
                return Stop(CopyResult::kCancelled, 0);
            }
        }
        return CopyOutcome{CopyResult::kDone, 0, copied_};
    }

private:
    // One buffer-sized piece by read and write; `n` 0 at the end of the source.
    bool ReadWriteChunk(std::uint64_t& n, CopyOutcome& failure) {
        if (!buffer_) {
            buffer_size_ = static_cast<std::size_t>(
                std::clamp<std::uint64_t>(total_, std::uint64_t{64} << 10, kCopyChunkBytes));
            buffer_ = std::make_unique<char[]>(buffer_size_);
        }
        ssize_t got;
        do {
            got = ::read(in_, buffer_.get(), buffer_size_);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            failure = Stop(CopyResult::kSourceError, errno);
            return false;
        }
        std::size_t written = 0;
        while (written < static_cast<std::size_t>(got)) {
            const ssize_t put =
                ::write(out_, buffer_.get() + written, static_cast<std::size_t>(got) - written);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                failure = Stop(CopyResult::kTargetError, errno);
                return false;
            }
            written += static_cast<std::size_t>(put);
        }
        n = static_cast<std::uint64_t>(got);
        return true;
    }

    // False when the callback asked to cancel.
    bool Report() {
        if (quiet_ || !progress_) {
            return true;
        }
        switch (progress_(total_, copied_)) {
            case CopyProgressAction::kContinue:
                return true;
            case CopyProgressAction::kQuiet:
                quiet_ = true;
                return true;
            case CopyProgressAction::kCancel:
                return false;
        }
        return true;
    }

    CopyOutcome Stop(CopyResult result, int error_number) const {
        return CopyOutcome{result, error_number, copied_};
    }

    const int in_;
    const int out_;
    std::uint64_t total_;
    std::uint64_t copied_ = 0;
    const CopyProgress& progress_;
    const std::atomic<bool>* cancel_;
    bool quiet_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t buffer_size_ = 0;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

CopyOutcome CopyFileWithProgress(std::string_view source, std::string_view target,
                                 const CopyProgress& progress, const std::atomic<bool>* cancel) {
    const std::string from = NormalizePath(source);
    const std::string to = NormalizePath(target);
    if (to.empty() || to.back() == '/') {
        return CopyOutcome{CopyResult::kTargetError, EISDIR, 0};
    }

    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        return CopyOutcome{CopyResult::kSourceError, errno, 0};
    }
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) {
        return CopyOutcome{CopyResult::kSourceError, errno, 0};
    }
    if (!S_ISREG(info.st_mode)) {
        return CopyOutcome{CopyResult::kSourceError, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, 0};
    }
    // A folder under the target name can never be replaced: say so before copying anything.
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        return CopyOutcome{CopyResult::kTargetError, EISDIR, 0};
    }
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    std::string temp = JoinPath(FolderOf(to), kTempPattern);
    Descriptor out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.get() < 0) {
        return CopyOutcome{CopyResult::kTargetError, errno, 0};
    }

    ChunkCopier copier(in.get(), out.get(), static_cast<std::uint64_t>(info.st_size), progress,
                       cancel);
    CopyOutcome outcome = copier.Run();
    if (outcome.result == CopyResult::kDone) {
        // Attributes are best effort: a FAT card keeps neither owner bits nor every time.
        ::fchmod(out.get(), info.st_mode & 07777);
        const struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        ::futimens(out.get(), times);
        if (!out.Close()) {
            outcome = CopyOutcome{CopyResult::kTargetError, errno, outcome.bytes};
        } else if (::rename(temp.c_str(), to.c_str()) != 0) {
            outcome = CopyOutcome{CopyResult::kTargetError, errno, outcome.bytes};
        } else {
            return outcome;
        }
    }
    out.Close();
    ::unlink(temp.c_str());
    return outcome;
}

bool FlushFileSystem(std::string_view path) {
    const std::string p = NormalizePath(path);
    Descriptor fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.get() >= 0 && ::syncfs(fd.get()) == 0;
}

int SweepCopyLeftovers(std::string_view folder) {
    const std::string_view prefix = kTempPattern.substr(0, kTempPattern.size() - 6);
    std::error_code error;
    int deleted = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(folder), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != kTempPattern.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            !entry.is_regular_file(error) || entry.is_symlink(error)) {
            continue;
        }
        if (::unlink(entry.path().c_str()) == 0) {
            ++deleted;
        }
    }
    return deleted;
}

}  // namespace mapvale::platform
