#include "app/command_switch.h"

#include "app/constants.h"

namespace mapvale::app {

int ReadCommandSwitch(AppSettings& settings, platform::Profile& profile,
                      const std::vector<std::string>& arguments) {
    settings.first_argument = arguments.size() > 0 ? arguments[0] : std::string();
    settings.second_argument = arguments.size() > 1 ? arguments[1] : std::string();
    settings.started_from_tray = false;

    const std::string& first = settings.first_argument;
    if (first.empty()) {
        return 1;
    }
    if (first == kSwitchSystray) {
        settings.started_from_tray = true;
        return 1;
    }
    if (first == kSwitchTrafficAgree || first == kSwitchTrafficDecline) {
        const int consent = first == kSwitchTrafficAgree ? 1 : 0;
        settings.traffic_consent = consent;
        settings.traffic_default = consent;
        settings.consent_from_command_line = 1;
        profile.WriteProfileInt(kSectionUser, "TRAFFIC_DEFAULT", consent);
        return 1;
    }
    return 0;
}

}  // namespace mapvale::app
