#include "controller/pie_chart.h"

#include <algorithm>

#include "controller/install_rules.h"

namespace mapvale::controller {

PieAmounts PieAmountsFor(const DeviceEntry& device, const CardInfo* card) {
    PieAmounts pie;
    pie.camera = device.install_type == kInstallCameraOnly;
    pie.map = device.installed_size / 1024;
    if (card != nullptr && !pie.camera) {
        pie.user = card->user_data_kb;
        pie.free = std::max<std::int64_t>(0, std::int64_t{card->capacity_kb} - pie.user - pie.map);
    }
    return pie;
}

}  // namespace mapvale::controller
