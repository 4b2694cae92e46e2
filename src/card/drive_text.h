#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/card_info.h"

namespace mapvale::card {

// The last row of every drive list: install nothing, keep the package on the hard disk.
inline constexpr std::string_view kHardDiskOnlyText = "[하드 디스크에만 다운로드]";
// The only row while no card is attached.
inline constexpr std::string_view kInsertDriveText = "드라이브를 넣어 주세요.";

// "E: 드라이브 ( 7.4 GBytes)": the capacity in whole MB picks TBytes above 1,048,576 MB, GBytes
// above 1024 MB, MBytes otherwise, printed "%4.1f".
std::string DriveText(char letter, std::uint32_t capacity_kb);

// The rows of a drive list for the cards in `drives`, in letter order, then kHardDiskOnlyText;
// only kInsertDriveText when there is no card.
std::vector<std::string> DriveListTexts(const std::map<char, CardInfo>& drives);

}  // namespace mapvale::card
