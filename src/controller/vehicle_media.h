#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale::controller {

// How a vehicle model's navigation unit is updated.
enum class Medium { kSd, kUsb, kUsbDvd, kDvd };

// The vehicle media table: model name -> medium, read from UTF-8 lines "model|SD", "|USB",
// "|USBDVD" or "|DVD". Blank lines and lines starting with '#' are comments; a line that does
// not parse is skipped. A model listed twice keeps its first medium.
std::map<std::string, Medium> ParseVehicleMedia(std::string_view text);

// The message the option page shows when a model of `medium` is chosen.
std::string_view MediumMessage(Medium medium);

// DVD models take the package on the hard disk only: no format, no backup.
inline bool MediumAllowsCardOptions(Medium medium) {
    return medium != Medium::kDvd;
}

// The medium of `model`, if the table lists it.
std::optional<Medium> FindMedium(const std::map<std::string, Medium>& table,
                                 std::string_view model);

}  // namespace mapvale::controller
