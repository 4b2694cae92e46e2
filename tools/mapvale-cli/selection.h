#pragma once

#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::cli {

// The device a --device value names: a model name (any case), else a caption, else a number of
// the list (from 1). Null when none does.
DeviceEntry* FindDevice(std::list<DeviceEntry>& devices, std::string_view name);

// The device that a card names (its version file's package), as the automatic selection matches
// it; null when none.
const DeviceEntry* DeviceForCard(const std::list<DeviceEntry>& devices, const CardInfo& card);

// The drive a --card value names: a letter ("E", "e:", "E:/"), or a folder that is the root of
// an attached card. Nothing when no attached drive matches.
std::optional<char> FindCard(const std::map<char, CardInfo>& drives, std::string_view name);

// The format and backup choice the wizard starts with for a drive: a hard disk, or a drive
// larger than 16 GB, is not formatted; any other drive is formatted with a backup first.
struct FormatChoice {
    bool format = false;
    bool backup = false;
};
FormatChoice DefaultFormatChoice(const CardInfo& card);

}  // namespace mapvale::cli
