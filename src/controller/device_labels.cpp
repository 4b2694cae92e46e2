#include "controller/device_labels.h"

namespace mapvale::controller {

std::string DeviceLabel(const DeviceEntry& device, std::string_view company) {
    std::string prefix;
    if (device.kind == 2) {
        prefix = "[Tarno] ";
    } else if (device.kind == 1) {
        prefix = "[Orla] ";
    } else if (company == "OV") {
        prefix = "[Orvin] ";
    } else if (company == "DL") {
        prefix = "[Dalmar] ";
    }
    return prefix + device.caption;
}

std::vector<std::string> DeviceListTexts(const std::list<DeviceEntry>& devices,
                                         std::string_view company) {
    std::vector<std::string> rows;
    for (const DeviceEntry& device : devices) {
        rows.push_back(DeviceLabel(device, company));
    }
    if (rows.empty()) {
        rows.emplace_back(kNoDeviceRow);
    }
    return rows;
}

}  // namespace mapvale::controller
