#include "card/backup_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <utility>

#include "platform/files.h"

namespace mapvale::card {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStampPrefix = "Backup_";
constexpr std::size_t kStampDigits = 12;
// Seconds a close may move its stamp on before it gives up.
constexpr int kStampTries = 60;

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The regular files of a backup: path below the backup folder (with '/') and size.
using FileList = std::vector<std::pair<std::string, std::uint64_t>>;

// The files of `folder`, or nothing when it cannot be walked completely or holds an entry that
// is neither a folder nor a regular file (links are not followed).
std::optional<FileList> FilesOf(const std::string& folder) {
    FileList files;
    std::error_code ec;
    const fs::path root(folder);
    fs::recursive_directory_iterator walk(root, ec);
    for (const fs::recursive_directory_iterator end; !ec && walk != end; walk.increment(ec)) {
        const fs::file_status status = walk->symlink_status(ec);
        if (ec) {
            return std::nullopt;
        }
        if (fs::is_directory(status)) {
            continue;
        }
        if (!fs::is_regular_file(status)) {
            return std::nullopt;
        }
        const std::uintmax_t size = walk->file_size(ec);
        if (ec) {
            return std::nullopt;
        }
        files.emplace_back(walk->path().lexically_relative(root).generic_string(), size);
    }
    if (ec) {
        return std::nullopt;
    }
    return files;
}

// True when both files can be read and hold the same bytes; their sizes are known to match.
bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    if (!first || !second) {
        return false;
    }
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<char> left(kBlock);
    std::vector<char> right(kBlock);
    for (;;) {
        first.read(left.data(), static_cast<std::streamsize>(kBlock));
        second.read(right.data(), static_cast<std::streamsize>(kBlock));
        const std::streamsize got = first.gcount();
        if (got != second.gcount() ||
            !std::equal(left.begin(), left.begin() + got, right.begin())) {
            return false;
        }
        if (got < static_cast<std::streamsize>(kBlock)) {
            return first.eof() && second.eof();
        }
    }
}

// The files of the backups that stay, by path below their backup folder.
class KeptFiles {
public:
    void Add(const std::string& folder, const FileList& files) {
        for (const auto& [relative, size] : files) {
            by_path_[relative].push_back({folder, size});
        }
    }

    // True when a kept backup holds this file with the same size and bytes.
    bool Holds(const std::string& folder, const std::string& relative, std::uint64_t size) const {
        const auto found = by_path_.find(relative);
        if (found == by_path_.end()) {
            return false;
        }
        for (const Copy& copy : found->second) {
            if (copy.size == size && SameBytes(platform::JoinPath(folder, relative),
                                               platform::JoinPath(copy.folder, relative))) {
                return true;
            }
        }
        return false;
    }

private:
    struct Copy {
        std::string folder;
        std::uint64_t size = 0;
    };
    std::map<std::string, std::vector<Copy>> by_path_;
};

}  // namespace

std::string StampedBackupName(const platform::CivilTime& local) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d", local.year % 100, local.month,
                  local.day, local.hour, local.minute, local.second);
    return std::string(kStampPrefix) + stamp;
}

bool IsStampedBackupName(std::string_view name) {
    if (name.size() != kStampPrefix.size() + kStampDigits || !name.starts_with(kStampPrefix)) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kStampPrefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> StampedBackupFolders(std::string_view package_folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(std::string(package_folder)), ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        const std::string name = it->path().filename().string();
        if (IsStampedBackupName(name) && it->is_directory(type_ec) && !it->is_symlink(type_ec)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

std::size_t KeepNewestBackups(std::string_view package_folder, std::size_t keep) {
    const std::vector<std::string> names = StampedBackupFolders(package_folder);
    KeptFiles kept;
    std::size_t deleted = 0;
    // Newest first, so an old backup kept for its own files also covers older ones.
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string folder = platform::JoinPath(package_folder, names[i]);
        const std::optional<FileList> files = FilesOf(folder);
        if (i >= keep && files) {
            const bool covered = std::all_of(files->begin(), files->end(), [&](const auto& file) {
                return kept.Holds(folder, file.first, file.second);
            });
            if (covered && platform::DeleteFolderTree(folder)) {
                ++deleted;
                continue;
            }
        }
        if (files) {
            kept.Add(folder, *files);
        }
    }
    return deleted;
}

std::optional<std::string> CloseBackupFolder(std::string_view package_folder,
                                             const platform::Clock& clock) {
    const std::string open = platform::JoinPath(package_folder, kOpenBackupFolder);
    if (!platform::FolderExists(open)) {
        return std::nullopt;
    }
    const std::int64_t now = clock.Now();
    for (int k = 0; k < kStampTries; ++k) {
        const std::string closed =
            platform::JoinPath(package_folder, StampedBackupName(clock.ToLocal(now + k)));
        if (Exists(closed)) {
            continue;
        }
        if (::rename(open.c_str(), closed.c_str()) == 0) {
            return closed;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace mapvale::card
