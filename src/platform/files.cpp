#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace mapvale::platform {

namespace fs = std::filesystem;

std::string NormalizePath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\') {
            c = '/';
        }
        if (c == '/' && !out.empty() && out.back() == '/') {
            continue;
        }
        out.push_back(c);
    }
    return out;
}

std::string NormalizeFolder(std::string_view path) {
    std::string out = NormalizePath(path);
    if (out.empty() || out.back() != '/') {
        out.push_back('/');
    }
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    while (!name.empty() && (name.front() == '/' || name.front() == '\\')) {
        name.remove_prefix(1);
    }
    if (!out.empty() && out.back() != '/' && out.back() != '\\' && !name.empty()) {
        out.push_back('/');
    }
    out.append(name);
    return NormalizePath(out);
}

std::optional<std::string> SafeRelativePath(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string normal = NormalizePath(name);
    if (normal.empty() || normal.front() == '/') {
        return std::nullopt;
    }
    // A drive prefix ("C:" at the start) names another volume.
    if (normal.size() >= 2 && normal[1] == ':') {
        return std::nullopt;
    }
    std::string out;
    std::size_t start = 0;
    while (start <= normal.size()) {
        std::size_t end = normal.find('/', start);
        if (end == std::string::npos) {
            end = normal.size();
        }
        const std::string_view part(normal.data() + start, end - start);
        if (part == "..") {
            return std::nullopt;
        }
        if (!part.empty() && part != ".") {
            if (!out.empty()) {
                out.push_back('/');
            }
            out.append(part);
        }
        start = end + 1;
    }
    if (out.empty()) {
        return std::nullopt;
    }
    if (normal.back() == '/') {
        out.push_back('/');
    }
    return out;
}

std::optional<std::string> SafeJoin(std::string_view folder, std::string_view name) {
    auto relative = SafeRelativePath(name);
    if (!relative) {
        return std::nullopt;
    }
    return JoinPath(folder, *relative);
}

bool CreateFolderChain(std::string_view path) {
    const std::string normal = NormalizePath(path);
    if (normal.empty()) {
        return false;
    }
    for (std::size_t pos = normal.find('/', 1); pos != std::string::npos;
         pos = normal.find('/', pos + 1)) {
        ::mkdir(normal.substr(0, pos).c_str(), 0777);
    }
    ::mkdir(normal.c_str(), 0777);
    return FolderExists(normal);
}

bool DeleteFolderTree(std::string_view path) {
    std::error_code ec;
    const fs::path root{std::string(path)};
    // Read-only entries inside are still removed, as the user expects of a tree delete.
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
        }
    }
    ec.clear();
    fs::remove_all(root, ec);
    return !fs::exists(fs::symlink_status(root, ec));
}

bool DeleteFileForce(std::string_view path) {
    const std::string p(path);
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (S_ISDIR(st.st_mode)) {
        return false;
    }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
        ::chmod(p.c_str(), st.st_mode | S_IWUSR);
    }
    return ::unlink(p.c_str()) == 0 || errno == ENOENT;
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(std::string(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(std::string_view path) {
    struct stat st {};
    return ::stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FileSize(std::string_view path) {
    struct stat st {};
    if (::stat(std::string(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool WriteFileAtomic(std::string_view path, std::string_view bytes) {
    return WriteFileAtomicWith(path, [bytes](int fd) { return WriteFully(fd, bytes); });
}

bool WriteFileAtomicWith(std::string_view path, const std::function<bool(int fd)>& write) {
    const std::string target = NormalizePath(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    std::string temp = target + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    // Keep the target's permissions when it exists; otherwise the usual umask-governed ones.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    bool ok = write(fd) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
    const int fd = ::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

}  // namespace mapvale::platform
