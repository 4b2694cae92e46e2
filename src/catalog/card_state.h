#pragma once

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::catalog {

// Compares the card's version file with the device's catalogue. Every entry first reads as not
// on the card (card version -1) and selected for installation; device.card_header is reset.
// Without a card record, or with the format option on, that is all (everything is installed)
// and the result is 0; likewise when the card holds no version file of the package.
//
// Otherwise the header gives the colour installed on the card (card_header.colour) and the
// device's option value, and each file line whose file lies on the card (InstalledCardPath)
// with the entry's size and the recorded version equal to the entry's gets that card version
// and is deselected. A listed file that is not installed stays selected, and an entry with
// status kOnCard whose downloaded version is current goes back to kDownloaded. Returns 1.
//
// Runs on the thread that owns the device.
int ReadCardState(DeviceEntry& device, const CardInfo* card);

}  // namespace mapvale::catalog
