#pragma once

#include <functional>
#include <string_view>

#include "app/app_settings.h"
#include "model/server_config.h"
#include "platform/clock.h"
#include "platform/profile.h"

namespace mapvale::net {

class CWebPOST;

// Tells the service server the user's traffic-information choice. True when the request went
// through; the answer is not looked at.
bool ReportTrafficConsent(std::string_view user_id, bool agreed, CWebPOST& web,
                          const ServerConfig& servers);

// The two choices of the agreement dialog (its buttons 1050 and 1054).
enum class TrafficChoice { kAgree, kDecline };

// What a click on a choice of the agreement dialog does: records the choice for the signed-in
// user and, when it differs from the choice last reported, reports it (`report`) and records it
// as reported, with today's date for a decline. Returns 0 when no user is signed in (the dialog
// then tells the user and closes; nothing is written), 1 otherwise.
int ApplyTrafficChoice(TrafficChoice choice, app::AppSettings& settings, platform::Profile& profile,
                       const platform::Clock& clock,
                       const std::function<bool(std::string_view user, bool agreed)>& report);

// Writes a local date as the user's last traffic notice date.
void WriteTrafficNoticeDate(platform::Profile& profile, const std::string& user_id,
                            const platform::CivilTime& date);

inline constexpr std::string_view kTextNoSignedInUser =
    "현재 로그인된 사용자ID 정보를\n\n가져올 수가 없습니다. 다시 로그인\n\n하신 후 설정을 변경해 "
    "주시기 "
    "바랍니다.";
inline constexpr std::string_view kCaptionSettingsError = "환경변수 오류";

}  // namespace mapvale::net
