#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// The words the easy-install wizard shows for the controller's state. Pure: the pages call
// them each time they redraw.

// A row of the wizard's device box: "[Orla]" for ORLA units, "[Tarno] " for TARNO units, "[Orvin] " or
// "[Dalmar] " for vehicles by the account's brand code ("[DL] " for any other code), nothing
// for other lines; then the caption, or the model name when it has none.
std::string WizardDeviceLabel(const DeviceEntry& device, std::string_view brand_code);

// The drive box rows: one per attached drive in letter order, then the hard-disk row, which is
// the only one without a card.
std::vector<std::string> WizardDriveRows(const std::map<char, CardInfo>& drives);

// The package code the wizard works with: a camera-data package stays one, every other device
// gets the variant that fits `card` (null: the hard disk).
int WizardPackageCode(const DeviceEntry* device, const CardInfo* card);

// The option page's status line. `drive_chosen`: the drive box has a row selected (the hard
// disk counts). The two special packages read "* " and the summary's words, not "100G".
std::string OptionStatusLine(const DeviceEntry* device, bool drive_chosen, int package_code);

// The countdown page's summary: drive letter, device name and package.
std::string SummaryLine(const DeviceEntry* device, const CardInfo* card, int package_code);

// The progress page's status line from the last progress kind (0x706 copy, 0x701 download)
// and the current file names.
std::string ProgressLine(std::uint32_t last_progress_kind, std::string_view install_item,
                         std::string_view download_item);

// What the progress page shows of a running job: the two bars' setSizeProBar values (1000 +
// the download percent, 2000 + the install percent) and the clock's seconds (the status strip's
// remaining time; 0 until known).
struct WizardProgress {
    int download_bar = 1000;
    int install_bar = 2000;
    std::int64_t clock_seconds = 0;

    friend bool operator==(const WizardProgress&, const WizardProgress&) = default;
};
WizardProgress ComputeWizardProgress(const DeviceEntry* device, bool has_card);

}  // namespace mapvale::controller
