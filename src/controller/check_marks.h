#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/device_entry.h"

namespace mapvale::controller {

// Files whose check mark the user cannot change: the package cannot work without them.
bool IsFixedRow(std::string_view file_name);

// The other file of an exclusive size pair ("nd_1gb.vb" / "nd_2gb.vb", "Korea_1GB.gpi" /
// "Korea_2GB.gpi"), in lower case; nothing for any other name. Names compare without case.
std::optional<std::string> ExclusivePartner(std::string_view file_name);

// 1 for the row "지도색상(일반색상)", 2 for "지도색상(진한색상)", 0 for any other row. A colour row
// is checked exactly when it matches the device's colour choice.
int ColourRowType(std::string_view row_label);

// Whether the content list's check boxes take clicks: only for the custom install, whose files
// the user chooses.
bool ChecksTakeClicks(const DeviceEntry& device);

// A click in the check box of file `index`: flips its mark unless the install is not custom or
// the file is fixed; checking one file of a size pair unchecks the other. True when a mark
// changed.
bool ClickCheckMark(DeviceEntry& device, std::size_t index);

// Before a custom install starts, the marks become the job: a checked file is to be fetched, an
// unchecked one is left out. Other install types are not touched.
void ApplyCheckMarks(DeviceEntry& device);

}  // namespace mapvale::controller
