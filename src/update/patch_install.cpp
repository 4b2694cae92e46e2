#include "update/patch_install.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <vector>

#include "app/constants.h"
#include "platform/files.h"

namespace mapvale::update {
namespace {

constexpr std::size_t kCopyBufferBytes = 256 * 1024;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // True when the descriptor closed cleanly (or was never open).
    bool Close() {
        if (fd_ < 0) {
            return true;
        }
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CopyContent(int from, int to) {
    std::vector<char> buffer(kCopyBufferBytes);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) {
            return false;
        }
    }
}

// Makes the renames in `folder` survive a power cut; a folder that cannot be flushed does not
// undo them, so this is best effort.
void SyncFolder(const std::string& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.ok()) {
        ::fsync(fd.get());
    }
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool IsProgramFile(std::string_view name, const std::string& target_path) {
    if (name == app::kUpdaterProgram || name == app::kTrayProgram ||
        name == app::kUnpackerProgram) {
        return true;
    }
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos && EqualsNoCase(name.substr(dot + 1), "exe")) {
        return true;
    }
    struct stat info {};
    return ::stat(target_path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

std::optional<std::string> StagePatchFile(const std::string& source, const std::string& folder,
                                          const std::string& name) {
    const std::string target = platform::JoinPath(folder, name);
    const std::string staged = platform::JoinPath(folder, std::string(kNewCopyPrefix) + name);
    if (!platform::CreateFolderChain(folder)) {
        return std::nullopt;
    }
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.ok()) {
        return std::nullopt;
    }
    // A copy left by an interrupted installation is replaced; O_EXCL and O_NOFOLLOW make sure
    // the copy is a new file of ours and not written through a link.
    if (!platform::DeleteFileForce(staged)) {
        return std::nullopt;
    }
    struct stat existing {};
    const bool replaces = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    const mode_t create_mode = IsProgramFile(name, target) ? 0777 : 0666;
    Fd out(
        ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, create_mode));
    if (!out.ok()) {
        return std::nullopt;
    }
    bool ok = CopyContent(in.get(), out.get());
    if (ok && replaces) {
        ok = ::fchmod(out.get(), existing.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(out.get()) == 0;
    ok = out.Close() && ok;
    if (!ok) {
        platform::DeleteFileForce(staged);
        return std::nullopt;
    }
    return staged;
}

bool CommitPatchFile(const std::string& staged, const std::string& folder, const std::string& name,
                     bool program) {
    const std::string target = platform::JoinPath(folder, name);
    const std::string old_copy = platform::JoinPath(folder, std::string(kOldCopyPrefix) + name);
    bool renamed_away = false;
    if (program && PathExists(target)) {
        platform::DeleteFileForce(old_copy);
        // A second name for the old file keeps the name itself in place until the new file
        // takes it over in one rename.
        if (::link(target.c_str(), old_copy.c_str()) != 0) {
            if (::rename(target.c_str(), old_copy.c_str()) != 0) {
                platform::DeleteFileForce(staged);
                return false;
            }
            renamed_away = true;
        }
    }
    if (::rename(staged.c_str(), target.c_str()) != 0) {
        if (renamed_away) {
            ::rename(old_copy.c_str(), target.c_str());
        }
        platform::DeleteFileForce(staged);
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool InstallPatchFile(const std::string& source, const std::string& folder,
                      const std::string& name) {
    const bool program = IsProgramFile(name, platform::JoinPath(folder, name));
    const auto staged = StagePatchFile(source, folder, name);
    return staged && CommitPatchFile(*staged, folder, name, program);
}

}  // namespace mapvale::update
