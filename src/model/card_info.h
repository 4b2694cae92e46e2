#pragma once

#include <cstdint>
#include <string>

namespace mapvale {

enum class DriveKind : std::uint8_t { kNotReady = 0, kRemovable = 1, kHardDisk = 2 };

// One analysed drive, kept by the controller in a map ordered by drive letter.
struct CardInfo {
    char letter = 0;
    std::string root;              // the volume's root, ending in '/'
    std::uint8_t folder_mask = 0;  // bits of the listed marker folders found on the card
    std::string model_name;        // package name in the first version file, empty when none
    std::string product_folder;    // root + first listed folder in the mask, or the root
    std::int32_t recorded_version = 0;  // field 1 of the card's version file (x100 below 1e7)
    std::int32_t recorded_number = 0;   // field 2
    std::string recorded_text;          // field 4
    std::int32_t completion_mark = 0;   // field 7: 1 = the last install completed
    std::uint32_t capacity_kb = 0;
    std::uint32_t free_kb = 0;
    std::uint32_t map_data_kb = 0;   // the whole product folder tree
    std::uint32_t user_data_kb = 0;  // "BackUp" tree plus the voice folders
    DriveKind drive_kind = DriveKind::kNotReady;
};

}  // namespace mapvale
