#pragma once

#include <string_view>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// Caption of every refusal to go back to the wizard.
inline constexpr std::string_view kWizardReturnCaption = "알림";

// Whether the main screen may go back to the wizard for the selection, and if not why: an empty
// text lets it go, any other text is the refusal to show. The checks run in a fixed order and
// the first that refuses wins; the card space is checked only while no job runs.
std::string_view WizardReturnRefusal(const DeviceEntry* device, const CardInfo* card,
                                     bool job_running);

}  // namespace mapvale::controller
