#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// What the main screen's status strip shows for the selected device: the stage text, the
// percent (-1: no bar), the speed text and the remaining-time text (either may be empty).
struct StatusStrip {
    std::string text;
    int percent = -1;
    std::string speed;
    std::string remaining;

    friend bool operator==(const StatusStrip&, const StatusStrip&) = default;
};

// The strip for `device` (null: none selected) writing to `card` (null: download only) at
// `now` (seconds since 1970; the speed label and the remaining time alternate every five
// seconds). The rules and texts are those of the updater's main screen.
StatusStrip ComputeStatusStrip(const DeviceEntry* device, const CardInfo* card, std::int64_t now);

// "%s: %5.1f MB/S" with the speed in MB from 1000 KB/s on, else "%s: %5.1f KB/S".
std::string SpeedText(std::string_view label, double kb_per_second);

// "남은 시간 %d시간 %d분" / "남은 시간 %d분" from whole minutes + 1, shown only while the second of
// `now` modulo 10 is below 5 (empty otherwise).
std::string RemainingText(std::uint32_t seconds, std::int64_t now);

// Whether the card holds the device's newest package completely: same package, both version
// numbers equal, completion mark 1.
bool CardHasNewest(const DeviceEntry& device, const CardInfo& card);

}  // namespace mapvale::controller
