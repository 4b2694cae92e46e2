#include "card/backup_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

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
    std::size_t deleted = 0;
    for (std::size_t i = keep; i < names.size(); ++i) {
        if (platform::DeleteFolderTree(platform::JoinPath(package_folder, names[i]))) {
            ++deleted;
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
