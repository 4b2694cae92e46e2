#include "ZipModule/replacement_file.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace mapvale::zipmodule {

namespace {

// The temporary file a termination signal must delete. The path is written only while
// `g_temp_set` is false, so the handler never sees half a path.
std::array<char, PATH_MAX> g_temp_path{};
std::atomic<bool> g_temp_set{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void Remember(const std::string& path) {
    g_temp_set.store(false);
    if (path.size() < g_temp_path.size()) {
        std::memcpy(g_temp_path.data(), path.c_str(), path.size() + 1);
        g_temp_set.store(true);
    }
}

void Forget() {
    g_temp_set.store(false);
}

void OnTerminationSignal(int signal_number) {
    if (g_temp_set.load()) {
        ::unlink(g_temp_path.data());
    }
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

}  // namespace

void CleanUpOnTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaddset(&action.sa_mask, signal_number);
    }
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal_number, &action, nullptr);
    }
}

ReplacementFile::ReplacementFile(std::string final_path) : final_path_(std::move(final_path)) {}

ReplacementFile::~ReplacementFile() {
    if (!committed_) {
        Discard();
    }
}

void ReplacementFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_path_.empty()) {
        ::unlink(temp_path_.c_str());
        temp_path_.clear();
        Forget();
    }
}

bool ReplacementFile::Fail(const char* step) {
    error_ = errno;
    error_text_ = std::string(step) + " " + final_path_ + ": " + std::strerror(error_);
    Discard();
    return false;
}

bool ReplacementFile::Open() {
    // A short name of its own, not derived from the final name, so that a final name near the
    // length limit still gets a temporary one.
    const std::size_t slash = final_path_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : final_path_.substr(0, slash + 1);
    std::string temp = folder + ".ZipModule-XXXXXX";
    // Termination signals wait until the new file's name is known to their handler, so no
    // moment leaves a temporary file that a signal would leave behind.
    sigset_t termination;
    sigset_t previous;
    ::sigemptyset(&termination);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaddset(&termination, signal_number);
    }
    ::pthread_sigmask(SIG_BLOCK, &termination, &previous);
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    const int error = errno;
    if (fd_ >= 0) {
        temp_path_ = temp;
        Remember(temp_path_);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd_ < 0) {
        errno = error;
        return Fail("cannot create a temporary file for");
    }
    return true;
}

bool ReplacementFile::Write(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd_, bytes, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail("cannot write");
        }
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplacementFile::Commit(mode_t mode, std::optional<std::time_t> mtime) {
    if (::fchmod(fd_, mode) != 0) {
        return Fail("cannot set the permissions of");
    }
    if (mtime) {
        const struct timespec times[2] = {{0, UTIME_NOW}, {*mtime, 0}};
        ::futimens(fd_, times);  // a time that cannot be set leaves the file's own
    }
    // On disk before it takes the final name: a crash then leaves the old file or the whole
    // new one, never an empty one under the final name.
    if (::fsync(fd_) != 0) {
        return Fail("cannot flush");
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        return Fail("cannot write");
    }
    if (::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
        return Fail("cannot replace");
    }
    Forget();
    temp_path_.clear();
    committed_ = true;
    return true;
}

}  // namespace mapvale::zipmodule
