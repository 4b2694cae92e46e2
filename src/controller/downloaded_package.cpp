#include "controller/downloaded_package.h"

#include "catalog/version_header.h"
#include "controller/status_strip.h"

namespace mapvale::controller {

bool NewestPackageAlreadyThere(const DeviceEntry& device, const CardInfo* card,
                               const std::string& data_folder) {
    if (card != nullptr) {
        return CardHasNewest(device, *card);
    }
    if (device.model_name.empty() || device.model_name.find('/') != std::string::npos ||
        device.model_name == "." || device.model_name == "..") {
        return false;
    }
    const auto header = catalog::ReadVersionHeader(data_folder + device.model_name + "/" +
                                                   device.model_name + ".ver");
    return header && header->map_version == device.server_map_version &&
           header->second_version == device.server_second_version &&
           header->package_name == device.model_name && header->completion_mark == 1;
}

}  // namespace mapvale::controller
