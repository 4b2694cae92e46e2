#include "controller/data_folder_rules.h"

#include <cstdio>

#include "platform/files.h"

namespace mapvale::controller {

std::string ShownDataFolder(std::string_view data_folder) {
    std::string text = platform::NormalizePath(data_folder);
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::optional<double> FreeGb(platform::Volumes& volumes, std::string_view folder) {
    const auto volume = volumes.ForPath(platform::NormalizeFolder(folder));
    if (!volume) {
        return std::nullopt;
    }
    const auto space = volumes.Space(volume->letter);
    if (!space) {
        return std::nullopt;
    }
    return static_cast<double>(space->free_bytes) / (1024.0 * 1024.0 * 1024.0);
}

std::string FreeSpaceText(std::optional<double> free_gb) {
    if (!free_gb) {
        return "알수없음";
    }
    char text[48];
    if (*free_gb > 1024) {
        std::snprintf(text, sizeof text, "%4.1f TBytes", *free_gb / 1024);
    } else {
        std::snprintf(text, sizeof text, "%4.1f GBytes", *free_gb);
    }
    return text;
}

FolderVerdict CheckDataFolder(std::string_view text,
                              const std::optional<platform::Volume>& volume) {
    if (text.empty() || text.front() != '/' || !volume) {
        return FolderVerdict::kRefuse;
    }
    switch (volume->kind) {
        case platform::VolumeKind::kFixed:
            return FolderVerdict::kAccept;
        case platform::VolumeKind::kRemote:
            return FolderVerdict::kAskRemote;
        default:
            return FolderVerdict::kRefuse;
    }
}

bool RecommendOtherDrive(std::optional<double> free_gb) {
    return free_gb.value_or(0) < kRecommendedFreeGb;
}

}  // namespace mapvale::controller
