#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

namespace mapvale::tray {

// The agent's own name: the mutex, the endpoint the updater finds and closes, and the profile.
inline constexpr std::string_view kTrayName = "MapvaleTray";
// The settings of both programs and the agent's profile company key.
inline constexpr std::string_view kSharedKey = "Software\\Velmora\\TSKN_Waymark+";
inline constexpr std::string_view kPathSection = "PATH";
inline constexpr std::string_view kInstallValue = "INSTALL";
inline constexpr std::string_view kUserSection = "USER";
inline constexpr std::string_view kNotificationValue = "BIG";
inline constexpr std::string_view kProfileCompany = "VELMORA";
inline constexpr std::string_view kNoticeSection = "VerInfo";
inline constexpr std::string_view kNoticeValue = "TSKNVer";
// The folder the drive watcher looks for on a card.
inline constexpr std::string_view kWatchedFolders = "TSKN_Ver_Info";

// Timers of the never-shown window, by id, with their periods.
inline constexpr int kTimerUpdaterAppeared = 100;
inline constexpr int kTimerUpdaterGone = 200;
inline constexpr int kTimerHour = 300;
inline constexpr int kTimerDailyWork = 400;
inline constexpr int kUpdaterAppearedPeriodMs = 10'000;
inline constexpr int kUpdaterGonePeriodMs = 1'000;
inline constexpr int kHourPeriodMs = 3'600'000;
inline constexpr int kHoursPerDay = 24;
// Drive reports are ignored this long after the updater the agent saw closed.
inline constexpr std::uint64_t kQuietPeriodMs = 5'000;

// "-UPDATE": how long the agent it replaces gets to let go of the mutex and the endpoint after
// the close request, and how often they are tried meanwhile.
inline constexpr std::chrono::milliseconds kReplaceWaitLimit{10'000};
inline constexpr std::chrono::milliseconds kReplacePoll{100};

// The tray icon: identifier (also the menu's), notification message, resource, tip.
inline constexpr std::uint32_t kTrayIconId = 133;
inline constexpr std::uint32_t kMsgTrayNotify = 0x040A;
inline constexpr int kTrayIconResource = 154;
inline constexpr std::string_view kTrayTip = "Orvin Dalmar Waymark+";
inline constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;

// Menu commands.
inline constexpr int kCommandStartUpdater = 32776;
inline constexpr int kCommandExit = 32774;
inline constexpr int kCommandVersion = 32778;

// The tray menu (133): a popup "트레이" whose first item is the default one.
inline constexpr std::string_view kMenuTitle = "트레이";
inline constexpr std::string_view kMenuStartUpdater = "Orvin Dalmar Waymark+ 실행 (&S)";
inline constexpr std::string_view kMenuVersionTitle = "버전 정보";
inline constexpr std::string_view kMenuVersion = "Version 1.0.0.0";
inline constexpr std::string_view kMenuExit = "종료 (&X)";

// The notice of the update server.
inline constexpr std::string_view kNoticeCodePath = "/avn/Waymark/splash/WebShpashEvent_Code.txt";
inline constexpr std::string_view kNoticePagePath = "/avn/Waymark/splash/index_plus.html";
inline constexpr std::string_view kNoticeTitle = "Orvin Dalmar Waymark+ 알림";

// Modes of start-the-updater: 2 starts it without argument, every other mode with "-SYSTRAY".
inline constexpr int kModePlain = 2;
inline constexpr int kModeSystray = 0;

}  // namespace mapvale::tray
