#include "card/install_sizes.h"

#include <algorithm>
#include <limits>

namespace mapvale::card {

namespace {

std::uint32_t ClampKb(std::int64_t kb) {
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(kb, 0, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

std::uint32_t BackupSizeKb(const CardInfo& card, int kind) {
    const std::int64_t capacity = card.capacity_kb;
    const std::int64_t free = card.free_kb;
    switch (kind) {
        case kBackupWholeCard:
            return ClampKb(capacity - free);
        case kBackupAllButMaps:
            return ClampKb(std::int64_t{card.user_data_kb} + capacity - card.map_data_kb - free);
        case kBackupUserDataOnly:
            return card.user_data_kb;
        default:
            return 0;
    }
}

bool WillInstall(const FileEntry& entry, bool format) {
    switch (entry.status.load()) {
        case FileStatus::kToFetch:
        case FileStatus::kDownloading:
        case FileStatus::kJoining:
        case FileStatus::kUnpacking:
        case FileStatus::kDownloaded:
        case FileStatus::kReconnecting:
            break;
        default:
            return false;
    }
    if (format) {
        return true;
    }
    return entry.selected != 0 && entry.card_version != entry.version;
}

std::uint32_t InstallSizeKb(const DeviceEntry& device, bool format) {
    std::int64_t total = 0;
    for (const FileEntry& entry : device.files) {
        if (WillInstall(entry, format) && entry.file_size != 0) {
            total += entry.file_size / 1024;
        }
    }
    return ClampKb(total);
}

}  // namespace mapvale::card
