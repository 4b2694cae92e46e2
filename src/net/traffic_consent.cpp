#include "net/traffic_consent.h"

#include "app/settings_io.h"
#include "net/web_post.h"

namespace mapvale::net {

bool ReportTrafficConsent(std::string_view user_id, bool agreed, CWebPOST& web,
                          const ServerConfig& servers) {
    web.ClearParameters();
    web.AddParameter("D1", user_id);
    web.AddParameter("D2", agreed ? "T" : "F");
    WebResponse ignored;
    return web.SendRequest(servers.HostText(ServerConfig::kService), "WMK/WMKChkTrainfo.mms",
                           ignored, 80, "GET", false) == 1;
}

void WriteTrafficNoticeDate(platform::Profile& profile, const std::string& user_id,
                            const platform::CivilTime& date) {
    const std::string section = app::UserSection(user_id) + "\\TRA_NOTI_TIME\\";
    profile.WriteProfileInt(section, "YEAR", date.year);
    profile.WriteProfileInt(section, "MON", date.month);
    profile.WriteProfileInt(section, "DAY", date.day);
}

int ApplyTrafficChoice(TrafficChoice choice, app::AppSettings& settings, platform::Profile& profile,
                       const platform::Clock& clock,
                       const std::function<bool(std::string_view user, bool agreed)>& report) {
    if (settings.user_id.empty()) {
        return 0;
    }
    const int value = choice == TrafficChoice::kAgree ? 1 : 0;
    const std::string section = app::UserSection(settings.user_id);
    settings.traffic_consent = value;
    profile.WriteProfileInt(section, "TRAFFIC", value);
    if (value != settings.traffic_last_ack) {
        if (report) {
            report(settings.user_id, value == 1);
        }
        // Recorded as reported whether or not the notice went through.
        settings.traffic_last_ack = value;
        profile.WriteProfileInt(section, "TRAFFIC_LAST_ACK", value);
        if (choice == TrafficChoice::kDecline) {
            WriteTrafficNoticeDate(profile, settings.user_id, clock.LocalNow());
        }
    }
    return 1;
}

}  // namespace mapvale::net
