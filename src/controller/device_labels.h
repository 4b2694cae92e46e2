#pragma once

#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "model/device_entry.h"

namespace mapvale::controller {

// The only row of the device list when the account has no unit.
inline constexpr std::string_view kNoDeviceRow = "제품을 등록해 주세요.";

// A device's row in the device list: the brand prefix and the caption. Vehicle units take the
// account's brand ("OV" "[Orvin] ", "DL" "[Dalmar] ", none for another code); TARNO and ORLA
// units their own line's.
std::string DeviceLabel(const DeviceEntry& device, std::string_view company);

// The rows of the device list, in list order; kNoDeviceRow alone without devices.
std::vector<std::string> DeviceListTexts(const std::list<DeviceEntry>& devices,
                                         std::string_view company);

}  // namespace mapvale::controller
