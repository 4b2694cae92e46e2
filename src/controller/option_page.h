#pragma once

#include <string>

#include "model/device_entry.h"

namespace mapvale::controller {

// The content server's path of the install page's option information for the device (null: no
// device): the device line's folder, then the page of its install type.
std::string OptionPagePath(const DeviceEntry* device);

}  // namespace mapvale::controller
