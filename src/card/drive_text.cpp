#include "card/drive_text.h"

#include <cstdio>

namespace mapvale::card {

std::string DriveText(char letter, std::uint32_t capacity_kb) {
    const std::uint32_t mb = capacity_kb / 1024;
    const char* unit = "MBytes";
    double amount = mb;
    if (mb > 1048576) {
        unit = "TBytes";
        amount = mb / 1048576.0;
    } else if (mb > 1024) {
        unit = "GBytes";
        amount = mb / 1024.0;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%c: 드라이브 (%4.1f %s)", letter, amount, unit);
    return text;
}

std::vector<std::string> DriveListTexts(const std::map<char, CardInfo>& drives) {
    std::vector<std::string> rows;
    if (drives.empty()) {
        rows.emplace_back(kInsertDriveText);
        return rows;
    }
    for (const auto& [letter, card] : drives) {
        rows.push_back(DriveText(letter, card.capacity_kb));
    }
    rows.emplace_back(kHardDiskOnlyText);
    return rows;
}

}  // namespace mapvale::card
