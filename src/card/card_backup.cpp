#include "card/card_backup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "card/backup_folders.h"
#include "card/install_sizes.h"
#include "platform/files.h"

namespace mapvale::card {

namespace fs = std::filesystem;

namespace {

enum class UserData { kCopied, kNoMatch, kFailed };

// The entries of a folder, sorted; empty when it is missing or unreadable.
std::vector<std::string> EntriesOf(const std::string& folder, bool folders_only = false) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (folders_only && (!it->is_directory(type_ec) || it->is_symlink(type_ec))) {
            continue;
        }
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Copies every entry of `folder` (or, with `folders_only`, every sub-folder) to `target`/name.
bool CopyEntries(StageCopier& copier, const std::string& folder, const std::string& target,
                 bool folders_only) {
    for (const std::string& name : EntriesOf(folder, folders_only)) {
        if (!CopyTree(copier, platform::JoinPath(folder, name), platform::JoinPath(target, name))) {
            return false;
        }
    }
    return true;
}

// The user-data entries of the product folder `product` (the card root entry
// `product_name`), each to the backup root + its path relative to the card root.
UserData BackupUserData(StageCopier& copier, const BackupRequest& request,
                        const std::string& backup_root) {
    const std::string product = platform::JoinPath(request.card_root, request.product_folder_name);
    UserData result = UserData::kNoMatch;
    for (const std::string& name : EntriesOf(product)) {
        if (name.find(request.user_data_filter) == std::string::npos) {
            continue;
        }
        const std::string on_card = platform::JoinPath(request.product_folder_name, name);
        if (!CopyTree(copier, platform::JoinPath(product, name),
                      platform::JoinPath(backup_root, on_card))) {
            return UserData::kFailed;
        }
        result = UserData::kCopied;
    }
    return result;
}

}  // namespace

bool RunBackup(StageCopier& copier, const BackupRequest& request, const platform::Clock& clock) {
    if (request.kind != kBackupWholeCard && request.kind != kBackupAllButMaps &&
        request.kind != kBackupUserDataOnly) {
        return true;
    }
    const std::string open = platform::JoinPath(request.package_folder, kOpenBackupFolder);
    if (platform::FolderExists(open)) {
        CloseBackupFolder(request.package_folder, clock);
        if (platform::FolderExists(open)) {
            return false;
        }
    }
    KeepNewestBackups(request.package_folder);

    const std::vector<std::string> card_entries = EntriesOf(request.card_root);
    if (card_entries.empty()) {
        return true;
    }
    if (!platform::DeleteFolderTree(open) || !platform::CreateFolderChain(open)) {
        return false;
    }
    const std::string backup_root = platform::NormalizeFolder(open);

    // Voice and traffic data: missing folders are normal, failed copies are not.
    if (!CopyEntries(copier, platform::JoinPath(request.product_folder, "Data/Wav"),
                     platform::JoinPath(backup_root, kVoiceBackupFolder), true) ||
        !CopyEntries(copier, platform::JoinPath(request.product_folder, "Data/TraInfo"),
                     platform::JoinPath(backup_root, kTrafficBackupFolder), false)) {
        return false;
    }

    if (request.kind == kBackupUserDataOnly) {
        const bool has_product = std::find(card_entries.begin(), card_entries.end(),
                                           request.product_folder_name) != card_entries.end();
        return !has_product || BackupUserData(copier, request, backup_root) == UserData::kCopied;
    }
    for (const std::string& name : card_entries) {
        if (copier.Cancelled()) {
            return false;
        }
        if (request.kind == kBackupAllButMaps && name == request.product_folder_name) {
            if (BackupUserData(copier, request, backup_root) == UserData::kFailed) {
                return false;
            }
            continue;
        }
        if (!CopyTree(copier, platform::JoinPath(request.card_root, name),
                      platform::JoinPath(backup_root, name))) {
            return false;
        }
    }
    return true;
}

}  // namespace mapvale::card
