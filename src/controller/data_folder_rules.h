#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/volumes.h"

namespace mapvale::controller {

// The settings dialog's rules for the download folder.

// Below this many GB free the dialog recommends another drive (the choice still stands).
inline constexpr double kRecommendedFreeGb = 8.0;

// The stored folder as the dialog's edit shows it: '/' separators, without the trailing one
// (a root that is only "/" keeps it).
std::string ShownDataFolder(std::string_view data_folder);

// The free space of a folder's volume in GB (bytes / 2^30), nothing when it cannot be read.
std::optional<double> FreeGb(platform::Volumes& volumes, std::string_view folder);

// " 2.0 TBytes" above 1024 GB, " 7.9 GBytes" otherwise ("%4.1f"), "알수없음" when unknown.
std::string FreeSpaceText(std::optional<double> free_gb);

// What OK does with a typed or chosen folder, by the kind of volume it lies on.
enum class FolderVerdict {
    kAccept,     // a hard disk
    kAskRemote,  // a network drive: the user decides
    kRefuse,     // any other drive; also an empty or relative text, or one on no volume
};
FolderVerdict CheckDataFolder(std::string_view text, const std::optional<platform::Volume>& volume);

// Whether the free space calls for the recommendation (unknown space counts as 0).
bool RecommendOtherDrive(std::optional<double> free_gb);

}  // namespace mapvale::controller
