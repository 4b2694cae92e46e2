#pragma once

#include <string_view>

#include "model/device_entry.h"

namespace mapvale::catalog {

// Install types with their own selection rule.
inline constexpr std::int32_t kInstallTypeNoSmallVariant = 100;
inline constexpr std::int32_t kInstallTypeCameraData = 200;

// Decides, for the device's install type, which files belong to the package, the status of each
// (kNotInJob, kToFetch, kDownloaded or kOnCard) and the device totals (download size, installed
// size, count of selected files already downloaded; the installed size in KB is also the
// device's needed_kb, the room the card check asks for). Runs the clean-up scan of the package
// folder first, which relies on the downloaded versions that ReadPcState read.
//
// Variant rule (install types 1, 2, 4): a file belongs when its attribute 3 is 1, or the type is
// 1 and attribute 4 is 1, or the type is 2 and attribute 5 fits the device (kind 1: not 0;
// kind 2 sub-kind 1: 1 or 2; kind 2 sub-kind 2: 1 or 3), or the type is 4 and attribute 6 is 1.
// Theme style files then follow the device's colour choice (forced to 1 when the package has no
// deep-colour theme files). With the format option on no file ends as kOnCard: the card is
// erased before the install, so every file is installed again. Each file counts once in the
// totals.
//
// Does nothing without a package folder or with a negative install type. Runs on the thread
// that owns the device, while no worker uses its entries.
void SelectFiles(DeviceEntry& device, std::string_view package_folder);

}  // namespace mapvale::catalog
