#pragma once

#include <cstdint>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// The slices of the install page's card chart, in KB (see movie_requests.h for the requests
// and the chart's place).
struct PieAmounts {
    bool camera = false;    // a camera-data install: `map` alone, the install size
    std::int64_t map = 0;   // the selected files' installed size
    std::int64_t user = 0;  // the card's user data; 0 without a card
    std::int64_t free = 0;  // capacity - user data - package; 0 without a card

    friend bool operator==(const PieAmounts&, const PieAmounts&) = default;
};

// The chart for the device's selected files on `card` (null: no card, the package slice alone).
// The free slice never goes below 0 when the package is larger than the card.
PieAmounts PieAmountsFor(const DeviceEntry& device, const CardInfo* card);

}  // namespace mapvale::controller
