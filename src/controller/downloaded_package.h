#pragma once

#include <string>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// Whether the device's newest package is already complete where the user just pointed the
// wizard: on `card` (its record names the package with both newest versions and a finished
// install), or, without a card, in the package's folder below `data_folder` (the version file's
// fields 1 and 2 are the newest versions, field 3 the package and field 7 is 1).
bool NewestPackageAlreadyThere(const DeviceEntry& device, const CardInfo* card,
                               const std::string& data_folder);

}  // namespace mapvale::controller
