// Stage 4 of CInstallJob: the passes over the package's files that copy each downloaded file to
// the card while the download engine still fetches the others.

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <system_error>

#include "card/install_job.h"
#include "card/install_sizes.h"
#include "catalog/card_paths.h"
#include "catalog/entry_paths.h"
#include "catalog/variant_files.h"
#include "catalog/version_file.h"
#include "model/messages.h"
#include "platform/files.h"

namespace mapvale::card {

namespace fs = std::filesystem;

namespace {

// Entries that are not copied as one file: an installer copied as it is, and self-extracting
// parts whose extracted folder is copied instead.
constexpr std::string_view kSingleCopyFile = "ovm.exe";
struct FolderPart {
    std::string_view file_name;
    std::string_view sub_folder;
};
constexpr FolderPart kFolderParts[] = {
    {"MAP.exe", "MAP/TPEG_IMAGE"},
    {"HTML.exe", "HTML"},
    {"IMAGE.exe", "IMAGE"},
    {"SPOT.exe", "SPOT"},
};

// Entry continues the pass.
constexpr int kNextEntry = 0;

bool IsUnder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.starts_with(folder);
}

// A destination folder as the card and the PC use it (leading separators mean nothing), or
// nothing when it would leave the folder it is meant for.
std::optional<std::string> SafeFolder(std::string_view folder) {
    std::string normal = platform::NormalizePath(folder);
    const std::size_t first = normal.find_first_not_of('/');
    if (first == std::string::npos) {
        return std::string();
    }
    return platform::SafeRelativePath(std::string_view(normal).substr(first));
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool HasEntries(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    return !ec && it != fs::directory_iterator();
}

}  // namespace

int CInstallJob::RunInstallStage() {
    if (stop_copy_.load()) {
        return kInstallDone;
    }
    pc_source_ = package_folder_;
    swept_folders_.clear();
    int to_install = 0;
    for (const FileEntry& entry : device_->files) {
        to_install += WillInstall(entry, format_) ? 1 : 0;
    }
    files_left_ = to_install;

    if (!CardPresent()) {
        return kCopyFailed;
    }
    if (!CardHasRoom()) {
        return CardPresent() ? kCardFull : kCopyFailed;
    }
    bool first_pass = true;
    for (;;) {
        if (stop_copy_.load()) {
            return kInstallDone;
        }
        // A card pulled while the stage waits for downloads ends it here, before any copy.
        if (!first_pass && !CardPresent()) {
            return kCopyFailed;
        }
        if (first_pass) {
            catalog::WriteVersionFile(product_folder_, *device_, &*card_, 0);
            first_pass = false;
        }
        for (std::size_t i = 0; i < device_->files.size(); ++i) {
            if (stop_copy_.load()) {
                return kInstallDone;
            }
            FileEntry& entry = device_->files[i];
            if (!IsDue(entry)) {
                continue;
            }
            const int result = InstallEntry(i, entry);
            if (result != kNextEntry) {
                return result;
            }
        }
        if (!AnyUnsettled()) {
            // The mark says "complete": the files must be on the card, not in a cache, first.
            if (!CardPresent() || !platform::FlushFileSystem(card_->root)) {
                return kCopyFailed;
            }
            catalog::WriteVersionFile(product_folder_, *device_, &*card_, 1);
            Post(kMsgInstallComplete, 0, 0);
            return kInstallDone;
        }
        sleeper_.WaitFor(file_ready_, kPassWait);
    }
}

bool CInstallJob::IsDue(const FileEntry& entry) const {
    return entry.status.load() == FileStatus::kDownloaded && (format_ || entry.selected != 0);
}

bool CInstallJob::AnyUnsettled() const {
    for (const FileEntry& entry : device_->files) {
        switch (entry.status.load()) {
            case FileStatus::kToFetch:
            case FileStatus::kDownloading:
            case FileStatus::kJoining:
            case FileStatus::kUnpacking:
            case FileStatus::kReconnecting:  // still downloading, only its connection dropped
                return true;
            case FileStatus::kDownloaded:
                // A downloaded file that this install does not take must not keep it waiting.
                if (IsDue(entry)) {
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

bool CInstallJob::CardHasRoom() const {
    const std::optional<platform::VolumeSpace> space = volumes_.Space(card_->letter);
    if (!space) {
        return false;
    }
    // The version file is written before the first copy; the files take their sizes, less
    // what the files they replace give back.
    std::uint64_t needed = catalog::FormatVersionFile(*device_, &*card_, 0).size();
    std::uint64_t freed = 0;
    for (const FileEntry& entry : device_->files) {
        if (!WillInstall(entry, format_) || entry.file_size == 0) {
            continue;
        }
        needed += static_cast<std::uint64_t>(entry.file_size);
        if (const auto paths = PathsOf(entry)) {
            freed += platform::FileSize(paths->target).value_or(0);
        }
    }
    return needed <= space->available_bytes + freed;
}

bool CInstallJob::CardPresent() {
    const std::optional<platform::Volume> volume =
        card_->letter != 0 ? volumes_.Find(card_->letter) : volumes_.ForPath(card_->root);
    if (!volume || volume->root != card_->root) {
        return false;
    }
    card_->letter = volume->letter;  // a record made without a letter learns it here
    card_device_ = volume->device_number;
    return true;
}

bool CInstallJob::CardStillMounted() const {
    // Cheap enough for every file: a pulled card's mount point is gone or belongs to the file
    // system underneath.
    struct stat info {};
    if (::stat(card_->root.c_str(), &info) != 0) {
        return false;
    }
    return card_device_ == 0 || static_cast<std::uint64_t>(info.st_dev) == card_device_;
}

std::optional<CInstallJob::EntryPaths> CInstallJob::PathsOf(const FileEntry& entry) const {
    if (!SafeFolder(entry.destination_path) || !platform::SafeRelativePath(entry.file_name)) {
        return std::nullopt;
    }
    EntryPaths paths;
    paths.source = catalog::PcPathOf(pc_source_, entry, device_->kind, entry.file_name);
    paths.target = catalog::InstalledCardPath(entry, package_name_, card_->root, product_folder_);
    if (!IsUnder(paths.source, pc_source_) || !IsUnder(paths.target, card_->root)) {
        return std::nullopt;
    }
    return paths;
}

bool CInstallJob::FolderOnCard(const std::string& folder_path) const {
    // A link inside the card's folders must not carry a copy off the card.
    std::error_code ec;
    const fs::path root = fs::canonical(fs::path(card_->root), ec);
    if (ec) {
        return false;
    }
    const fs::path folder = fs::canonical(fs::path(folder_path), ec);
    if (ec) {
        return false;
    }
    const std::string root_text = platform::NormalizeFolder(root.string());
    const std::string folder_text = platform::NormalizeFolder(folder.string());
    return folder_text.starts_with(root_text);
}

int CInstallJob::InstallEntry(std::size_t index, FileEntry& entry) {
    if (entry.file_name == kSingleCopyFile) {
        return InstallSingleCopy(index, entry);
    }
    for (const FolderPart& part : kFolderParts) {
        if (entry.file_name == part.file_name) {
            return InstallFolderPart(index, entry, part.sub_folder);
        }
    }
    if (!format_ && entry.card_version == entry.version) {
        entry.status = FileStatus::kOnCard;
        files_left_.fetch_sub(1);
        return kNextEntry;
    }
    return InstallOneFile(index, entry);
}

int CInstallJob::InstallOneFile(std::size_t index, FileEntry& entry) {
    SetCurrentFileName(entry.file_name);
    if (!entry.file_name.empty()) {
        Post(kMsgInstallFileChanged, 1, 0);
    }
    auto fail = [&entry](int result) {
        entry.status = FileStatus::kNotInJob;
        entry.percent = 0;
        return result;
    };
    const std::optional<EntryPaths> paths = PathsOf(entry);
    if (!paths) {
        return fail(kCopyRaised);
    }
    const std::uint64_t done_before = stage_done_kb_;
    for (int attempt = 1; attempt <= kCopyTries; ++attempt) {
        stage_done_kb_ = done_before;  // a retry must not count the file twice
        entry.status = FileStatus::kCopying;
        if (!CardStillMounted()) {
            return fail(kCopyFailed);
        }
        bool copied = false;
        try {
            if (platform::CreateFolderChain(ParentOf(paths->target))) {
                if (!FolderOnCard(ParentOf(paths->target))) {
                    return fail(kCopyRaised);
                }
                // The old file goes first: a copy that does not complete leaves no file
                // under this name, and the card's version file cannot vouch for a stale one.
                platform::DeleteFileForce(paths->target);
                current_entry_ = &entry;
                current_index_ = index;
                copied = CopyOneFile(paths->source, paths->target);
                current_entry_ = nullptr;
            }
        } catch (const std::exception&) {
            current_entry_ = nullptr;
            platform::DeleteFileForce(paths->target);
            return fail(kCopyRaised);
        }
        if (stop_copy_.load()) {
            entry.status = FileStatus::kDownloaded;
            entry.percent = 0;
            return kInstallDone;
        }
        if (!copied) {
            // A pulled card fails at once: retrying cannot bring it back.
            if (attempt < kCopyTries && CardPresent()) {
                continue;
            }
            return fail(kCopyFailed);
        }
        const std::optional<std::uint64_t> size = platform::FileSize(paths->target);
        if (!size || *size != std::uint64_t{entry.file_size}) {
            if (attempt < kCopyTries) {
                continue;
            }
            platform::DeleteFileForce(paths->target);
            return fail(kSizeWrong);
        }
        // The card's record follows the copies, so an interrupted install is resumed from
        // what really landed.
        entry.card_version = entry.version;
        catalog::WriteVersionFile(product_folder_, *device_, &*card_, 0);
        entry.status = FileStatus::kOnCard;
        files_left_.fetch_sub(1);
        return kNextEntry;
    }
    return fail(kCopyFailed);
}

int CInstallJob::InstallSingleCopy(std::size_t index, FileEntry& entry) {
    const auto folder = SafeFolder(entry.destination_path);
    if (!folder) {
        entry.status = FileStatus::kNotInJob;
        return kCopyRaised;
    }
    const std::string source = catalog::PcPathOf(pc_source_, entry, device_->kind, entry.file_name);
    const std::string target = platform::JoinPath(
        platform::JoinPath(card_->root, catalog::CardFolderOf(*folder, package_name_)),
        entry.file_name);
    entry.status = FileStatus::kCopying;
    return CopyUntracked(index, entry, ParentOf(target),
                         [&] { return CopyOneFile(source, target); });
}

int CInstallJob::InstallFolderPart(std::size_t index, FileEntry& entry,
                                   std::string_view sub_folder) {
    const auto folder = SafeFolder(entry.destination_path);
    if (!folder) {
        entry.status = FileStatus::kNotInJob;
        return kCopyRaised;
    }
    const std::string source = platform::JoinPath(
        platform::JoinPath(pc_source_, catalog::PcFolderOf(entry, device_->kind)), sub_folder);
    const std::string target = platform::JoinPath(
        platform::JoinPath(card_->root, catalog::CardFolderOf(*folder, package_name_)), sub_folder);
    entry.status = FileStatus::kCopying;
    if (!HasEntries(source)) {
        // The download marks a part downloaded only once it was unpacked into its folder: an
        // empty one is a part that never reaches the card, not an install that succeeded.
        entry.status = FileStatus::kNotInJob;
        entry.percent = 0;
        return kCopyFailed;
    }
    return CopyUntracked(index, entry, target, [&] { return CopyTree(*this, source, target); });
}

int CInstallJob::CopyUntracked(std::size_t index, FileEntry& entry, const std::string& folder,
                               const std::function<bool()>& copy) {
    bool copied = false;
    if (CardStillMounted() && platform::CreateFolderChain(folder)) {
        if (!FolderOnCard(folder)) {
            entry.status = FileStatus::kNotInJob;
            return kCopyRaised;
        }
        current_entry_ = &entry;
        current_index_ = index;
        copied = copy();
        current_entry_ = nullptr;
    }
    if (stop_copy_.load()) {
        entry.status = FileStatus::kDownloaded;
        entry.percent = 0;
        return kInstallDone;
    }
    // Installed or not, these entries are not tracked on the card.
    entry.status = FileStatus::kNotInJob;
    if (!copied) {
        entry.percent = 0;
        return kCopyFailed;
    }
    files_left_.fetch_sub(1);
    return kNextEntry;
}

}  // namespace mapvale::card
