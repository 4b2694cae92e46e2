#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/card_info.h"
#include "platform/formatter.h"
#include "platform/message_target.h"
#include "platform/volumes.h"

namespace mapvale::card {

// The file system a card is formatted with: its capacity rounded to whole GB (half up) is at
// most 1 -> "FAT" (1,572,863 KB still is), otherwise "FAT32".
std::string_view FileSystemForCapacity(std::uint32_t capacity_kb);

// What stage 2 of the install job hands to FormatCard: the running job's fields it reads and the
// one it writes. Pointers are the job's own and must stay valid during the call.
struct FormatJob {
    const std::atomic<bool>* cancel = nullptr;    // the job's cancel flag; null = never set
    const CardInfo* card = nullptr;               // the selected card's record
    platform::MessageTarget* owner = nullptr;     // receives 0x704 (percent, 100)
    std::atomic<std::uint8_t>* result = nullptr;  // the job's format-result byte; may be null
    std::string data_folder;                      // whose volume must never be formatted
};

// Formats the card at `card_root` (FormatEx), on the install job's worker thread:
// - a set cancel flag: 1 at once, nothing touched (the result byte included);
// - otherwise the result byte is cleared first: a success left by an earlier attempt never
//   counts;
// - 0 without touching the card when the root is empty, there is no card record, the root is
//   not the record's root, no volume with the record's letter is mounted at that root (the
//   selected card's own volume, nothing else), or the formatter refuses the volume (system,
//   not removable, the root file system's or the data folder's volume: WhyNotFormat);
// - otherwise the volume is formatted with FileSystemForCapacity(record's capacity), progress goes
// to the
//   owner as 0x704 (percent, 100), and the result byte becomes 1 when the format completed.
// Returns the result byte. Never aborts a format once started.
int FormatCard(platform::Volumes& volumes, platform::Formatter& formatter,
               std::string_view card_root, const FormatJob& job);

}  // namespace mapvale::card
