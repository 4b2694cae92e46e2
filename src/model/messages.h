#pragma once

#include <cstdint>

namespace mapvale {

// Window messages between workers and the controller, with the numbers the programs have always
// used. wParam and lParam of each are described where they are posted.
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmTimer = 0x0113;

inline constexpr std::uint32_t kMsgJobError = 0x501;             // error code, detail
inline constexpr std::uint32_t kMsgDriveChange = 0x601;          // letter + 0x10000/0x20000, more
inline constexpr std::uint32_t kMsgDownloadFileProgress = 0x701;  // bytes of file, archive size
inline constexpr std::uint32_t kMsgDownloadProgress = 0x702;      // package KB so far, KB total
inline constexpr std::uint32_t kMsgBackupProgress = 0x703;        // amount done, total
inline constexpr std::uint32_t kMsgFormatProgress = 0x704;        // percent, 100
inline constexpr std::uint32_t kMsgRestoreProgress = 0x705;       // amount done, total
inline constexpr std::uint32_t kMsgCopyFileProgress = 0x706;      // list index, percent of file
inline constexpr std::uint32_t kMsgCopyProgress = 0x707;          // KB done, KB total
inline constexpr std::uint32_t kMsgPackageStepProgress = 0x708;   // devices filed, devices
inline constexpr std::uint32_t WM_DOWNLOAD_COMPLETE = 0x802;
inline constexpr std::uint32_t kMsgInstallFormatStage = 0x803;    // job state 2
inline constexpr std::uint32_t kMsgInstallRestoreStage = 0x804;   // job state 3
inline constexpr std::uint32_t kMsgInstallCopyStage = 0x805;      // job state 4
inline constexpr std::uint32_t kMsgInstallComplete = 0x807;
inline constexpr std::uint32_t kMsgInstallFileChanged = 0x901;    // 1 = new current file name
inline constexpr std::uint32_t kMsgDownloadFileChanged = 0x902;   // 1 = new current file name

// wParam flags of kMsgDriveChange.
inline constexpr std::uint32_t kDriveArrived = 0x10000;
inline constexpr std::uint32_t kDriveRemoved = 0x20000;

// Dialog answers carried by WM_COMMAND and returned by message boxes.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

}  // namespace mapvale
