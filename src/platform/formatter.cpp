#include "platform/formatter.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace mapvale::platform {

namespace {

namespace fs = std::filesystem;

std::optional<struct stat> Lstat(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

std::optional<struct stat> Stat(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

// The resolved form of `path` or of its nearest existing ancestor (a data folder that does not
// exist yet still lies on some volume), without a trailing '/' except for "/".
std::string ResolveExisting(std::string path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    if (!error) {
        path = absolute.string();
    }
    while (!path.empty()) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
        const std::size_t cut = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
        if (cut == std::string::npos) {
            break;
        }
        path.resize(cut == 0 ? 1 : cut);
    }
    return "/";
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

// True when `inner` is `outer` or lies below it (both resolved, no trailing '/').
bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
    if (outer == "/") {
        return true;
    }
    return inner == outer ||
           (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
            inner[outer.size()] == '/');
}

class Eraser {
  public:
    Eraser(const FormatProgress& progress, dev_t device) : progress_(progress), device_(device) {}

    // Counts what is under `folder` and makes every folder the owner's to enter and change.
    void Count(const std::string& folder) {
        std::error_code error;
        fs::recursive_directory_iterator walk(folder, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            const std::optional<struct stat> info = Lstat(walk->path().string());
            if (!info) {
                continue;
            }
            ++total_;
            if (S_ISDIR(info->st_mode)) {
                if (info->st_dev != device_) {
                    walk.disable_recursion_pending();
                } else if ((info->st_mode & S_IRWXU) != S_IRWXU) {
                    ::chmod(walk->path().c_str(), (info->st_mode & 07777) | S_IRWXU);
                }
            }
        }
    }

    // Removes everything under `folder`; false when something stayed.
    bool EraseUnder(const std::string& folder) {
        std::vector<std::string> names;
        std::error_code error;
        for (fs::directory_iterator list(folder, error); !error && list != fs::directory_iterator();
             list.increment(error)) {
            names.push_back(list->path().string());
        }
        bool complete = !error;
        for (const std::string& path : names) {
            const std::optional<struct stat> info = Lstat(path);
            if (!info) {
                continue;  // gone already
            }
            if (S_ISDIR(info->st_mode)) {
                // Another file system mounted inside is not ours to empty; its mount point stays.
                if (info->st_dev != device_ || !EraseUnder(path) || ::rmdir(path.c_str()) != 0) {
                    complete = false;
                    continue;
                }
            } else if (::unlink(path.c_str()) != 0) {
                complete = false;
                continue;
            }
            Step();
        }
        return complete;
    }

    void Report(int percent) {
        if (percent != last_percent_ && progress_) {
            last_percent_ = percent;
            progress_(percent);
        }
    }

  private:
    // 100 is left for the end of a complete erase.
    void Step() {
        ++removed_;
        const std::uint64_t done = std::min(removed_, total_);
        Report(total_ == 0 ? 99
                           : static_cast<int>(std::min<std::uint64_t>(done * 100 / total_, 99)));
    }

    const FormatProgress& progress_;
    const dev_t device_;
    std::uint64_t total_ = 0;
    std::uint64_t removed_ = 0;
    int last_percent_ = -1;
};

}  // namespace

std::string WhyNotFormat(const Volume& volume, std::string_view data_folder) {
    if (volume.letter == 0 || volume.root.empty() || volume.root.front() != '/') {
        return "not a listed volume";
    }
    if (volume.system || volume.root == "/") {
        return "a volume of the installed system";
    }
    if (volume.kind != VolumeKind::kRemovable) {
        return "not a removable volume";
    }
    if (data_folder.empty()) {
        return "no data folder to protect was given";
    }
    const std::optional<struct stat> root = Stat(volume.root);
    if (!root || !S_ISDIR(root->st_mode)) {
        return "the volume is not mounted";
    }
    const std::string data = ResolveExisting(std::string(data_folder));
    const std::string home = ResolveExisting(HomeFolder());
    if (volume.is_virtual) {
        const std::string folder = ResolveExisting(volume.root);
        if (folder == "/" || folder.find('/', 1) == std::string::npos) {
            return "the folder is the root or directly under it";
        }
        if (IsSameOrBelow(data, folder)) {
            return "the folder holds the data folder";
        }
        if (IsSameOrBelow(home, folder)) {
            return "the folder holds the home folder";
        }
        return {};
    }
    if (volume.device.rfind("/dev/", 0) != 0) {
        return "no block device";
    }
    if (volume.device_number != 0 && root->st_dev != static_cast<dev_t>(volume.device_number)) {
        return "the root no longer holds the volume";
    }
    const std::optional<struct stat> system_root = Stat("/");
    if (!system_root || system_root->st_dev == root->st_dev) {
        return "the volume of the root file system";
    }
    const std::optional<struct stat> data_info = Stat(data);
    if (!data_info || data_info->st_dev == root->st_dev) {
        return "the volume holds the data folder";
    }
    const std::optional<struct stat> home_info = Stat(home);
    if (home_info && home_info->st_dev == root->st_dev) {
        return "the volume holds the home folder";
    }
    return {};
}

FormatOutcome EraseFolderContents(const std::string& root, const FormatProgress& progress) {
    const std::optional<struct stat> info = Lstat(root);
    if (!info || !S_ISDIR(info->st_mode)) {
        return FormatOutcome::kFailed;
    }
    if ((info->st_mode & S_IRWXU) != S_IRWXU) {
        ::chmod(root.c_str(), (info->st_mode & 07777) | S_IRWXU);
    }
    Eraser eraser(progress, info->st_dev);
    eraser.Report(0);
    eraser.Count(root);
    const bool complete = eraser.EraseUnder(root);
    if (!complete) {
        return FormatOutcome::kFailed;
    }
    eraser.Report(100);
    return FormatOutcome::kDone;
}

FormatOutcome SystemFormatter::Format(const Volume& volume, std::string_view file_system,
                                      std::string_view data_folder,
                                      const FormatProgress& progress) {
    if (!WhyNotFormat(volume, data_folder).empty()) {
        return FormatOutcome::kRefused;
    }
    if (volume.is_virtual) {
        return EraseFolderContents(volume.root, progress);
    }
    if (file_system != "FAT" && file_system != "FAT32") {
        return FormatOutcome::kFailed;
    }
    return FormatWithDiskService(volume.device, file_system, progress);
}

}  // namespace mapvale::platform
