#pragma once

#include <cstdint>

#include "model/device_entry.h"

namespace mapvale::controller {

// What the progress handlers remember between messages: the amounts at the start of the
// measurement and the second of the last update (updates happen at most once a second).
struct ProgressTracker {
    std::uint64_t download_base = 0;
    std::int64_t download_last_tick = 0;
    std::uint64_t copy_base = 0;
    std::int64_t copy_last_tick = 0;
};

// Download progress (KB of the package so far, KB of the whole package) at `now` (seconds since
// 1970): recomputes the device's download speed, remaining seconds and percent. `has_target`
// says whether the job writes to a card; `folder_matches_card` whether the device's package
// folder is the card's model folder. True when the progress area should be repainted.
bool OnDownloadProgress(DeviceEntry& device, ProgressTracker& tracker, bool has_target,
                        bool folder_matches_card, std::uint64_t kb_so_far, std::int64_t kb_total,
                        std::int64_t now);

// Copy progress (KB copied, KB to copy) at `now`: recomputes the copy speed, remaining seconds
// and the install percent. True when the progress area should be repainted.
bool OnCopyProgress(DeviceEntry& device, ProgressTracker& tracker, std::uint64_t kb_done,
                    std::int64_t kb_total, std::int64_t now);

}  // namespace mapvale::controller
