#pragma once

#include <cstdint>
#include <string_view>

namespace mapvale::app {

// Application title, frame window class name and profile name alike.
inline constexpr std::string_view kAppTitle = "TSKN_Waymark+";
inline constexpr std::string_view kFrameClassName = "TSKN_Waymark+";
inline constexpr std::string_view kProfileName = "TSKN_Waymark+";
inline constexpr std::string_view kCompanyKey = "VELMORA";
// The tray agent opens the same settings as "Software\Velmora\TSKN_Waymark+"; key names compare
// without case, so both reach one key.
inline constexpr std::string_view kTrayCompanyKey = "Velmora";
inline constexpr std::string_view kTrayWindowTitle = "MapvaleTray";
inline constexpr std::string_view kDocumentTemplate =
    "TSKN_Waymark+\n\nTSKN_Waymark+\n\n\nMapvale.Document\nMapvale.Document";
inline constexpr int kMinScreenWidth = 800;
inline constexpr int kMinScreenHeight = 600;

// Program files, relative to the program folder. Linux builds have no ".exe".
inline constexpr std::string_view kUpdaterProgram = "Mapvale";
inline constexpr std::string_view kTrayProgram = "MapvaleTray";
inline constexpr std::string_view kUnpackerProgram = "ZipModule";
inline constexpr std::string_view kPackageListFile = "Info/PackageInfo.txt";
inline constexpr std::string_view kUpdateListFile = "Info/UpdateInfo.txt";
inline constexpr std::string_view kServersFile = "Info/Servers.ini";
inline constexpr std::string_view kProductFolder = "Product/";
// Marker folder that identifies a navigation card.
inline constexpr std::string_view kCardMarkerFolder = "TSKN_Ver_Info";

// Command-line switches.
inline constexpr std::string_view kSwitchSystray = "-SYSTRAY";
inline constexpr std::string_view kSwitchTrafficAgree = "-TRAINFO_AGREE";
inline constexpr std::string_view kSwitchTrafficDecline = "-TRAINFO_DEGREE";
inline constexpr std::string_view kSwitchTrayUpdate = "-UPDATE";

// Settings sections and values.
inline constexpr std::string_view kSectionUser = "USER";
inline constexpr std::string_view kSectionPath = "PATH";

// Key of the default text scrambler.
inline constexpr std::string_view kScramblerKey = "Keep Mapping Forward";

// Uninstall registration (machine root).
inline constexpr std::string_view kProductGuid = "{6B1F3C2A-8D44-4E71-9A0C-5F2E7B9D4C31}";
inline constexpr std::string_view kUninstallRoot =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr std::string_view kOldUninstallName = "TSKN_Waymark+";
inline constexpr std::string_view kInstallerScriptFolder = "InstallShield Installation Information";
inline constexpr std::string_view kInstallerScriptName = "setup.inx";
// The installer data written unchanged by the repair ("BINARY" resource 513), shipped in Info/.
inline constexpr std::string_view kInstallerScriptResource = "Info/setup.inx.bin";
inline constexpr std::uint32_t kVersionNeedingRepair = 0x01000000;
inline constexpr std::uint32_t kVersionAfterRepair = 0x01010000;
inline constexpr std::string_view kDisplayVersionAfterRepair = "1.01.0000";

// Visible texts.
inline constexpr std::string_view kTextAlreadyRunning = "Orvin Dalmar Waymark+가 이미 실행중입니다.";
inline constexpr std::string_view kTextScreenTooSmall = "800*600이상의 해상도에서만 실행가능합니다.";
inline constexpr std::string_view kTextOleFailed =
    "OLE를 초기화할 수 없습니다. OLE 라이브러리 버전이 올바른지 확인하십시오.";
inline constexpr std::string_view kTextPackageListFailed = "실행 정보 얻기 실패!";

}  // namespace mapvale::app
