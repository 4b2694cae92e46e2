#pragma once

#include <string>
#include <string_view>

namespace mapvale::update {

// Texts of the self-update, as the user has always seen them.

// Caption of the message shown when the check cannot reach the patch list.
inline constexpr std::string_view kTextCheckFailedTitle = "패치정보 수신 실패";
// The message for a negative check result (-8: ask the server administrator; -6: blocked by a
// firewall; -1: check the network; any other: a network error with its code).
std::string CheckFailureText(int code);

// Shown before the program starts itself again with more rights.
inline constexpr std::string_view kTextElevationTitle = "Orvin Dalmar Waymark+";
inline constexpr std::string_view kTextElevation = "업데이트가 필요하여 실행 권한을 요청합니다.";

// Title of the update dialog.
inline constexpr std::string_view kTextDialogTitle = "TSKN_Waymark+";

// The dialog's cancel question (Yes/No, question icon).
inline constexpr std::string_view kTextCancelTitle = "종료 확인";
inline constexpr std::string_view kTextCancelQuestion =
    "업그레이드를 중지하시겠습니까?\n업그레이드를 중지하시면 Orvin Dalmar Waymark+가 자동 "
    "종료됩니다.";

}  // namespace mapvale::update
