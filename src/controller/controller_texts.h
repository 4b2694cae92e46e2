#pragma once

#include <string_view>

namespace mapvale::controller {

// The controller's visible texts, word for word as the programs have always shown them.

inline constexpr std::string_view kAppCaption = "TSKN_Waymark+";
inline constexpr std::string_view kNoticeCaption = "Orvin Dalmar Waymark+ 알림";

// Close.
inline constexpr std::string_view kTextAskClose = "Orvin Dalmar Waymark+를 종료할까요?";
inline constexpr std::string_view kCaptionAskClose = "종료 확인";

// Wizard screen 1 with an ORLA V5.0 unit and a small card.
inline constexpr std::string_view kTextNoSmallEasyInstall =
    "\nORLA(V5.0)은 1G 간편설치를 \n\n지원하지 않습니다.";
inline constexpr std::string_view kCaptionMoveScreen = "화면 이동";

// Job completion.
inline constexpr std::string_view kTextInstallDone =
    "설치를 완료하였습니다.\n\nVelmora 사회공헌활동 Warmmeter의 온도가 1도씨 올라갔습니다.\n\n"
    "참여해주셔서 감사합니다.\n";
inline constexpr std::string_view kCaptionInstallDone = "설치 완료";
inline constexpr std::string_view kTextDownloadDone =
    "다운로드를 완료하였습니다.\n\nVelmora 사회공헌활동 Warmmeter의 온도가 1도씨 올라갔습니다.\n\n"
    "참여해주셔서 감사합니다.\n";
inline constexpr std::string_view kCaptionDownloadDone = "다운로드 완료";
inline constexpr std::string_view kTextCameraDownloadDone =
    "\n다운로드를 완료하였습니다.\n\n다운로드 받은 폴더로 이동합니다.";
inline constexpr std::string_view kTextPdaDownloadDone =
    "\n다운로드를 완료하였습니다.\n\nPDA 설치 프로그램을 실행합니다.";
inline constexpr std::string_view kCameraDataFolder = "/메모리카드데이터/Tarno/MapData/M03_Camera";
inline constexpr std::string_view kPdaInstaller = "/Tarno_PC설치.exe";

// Data folder chooser.
inline constexpr std::string_view kTitleChooseFolder = "디렉토리를 선택하세요";
inline constexpr std::string_view kTextNewestAlreadyThere =
    "최신 지도데이터가 다운로드 되어 있습니다.폴더를 변경하세요!";
inline constexpr std::string_view kTextNoExternalDataFolder =
    "외장하드/이동식 디스크에는 지도데이터를 다운받을 수 없습니다.";

// Job start.
inline constexpr std::string_view kTextConfirmDrive =
    "설치 대상으로 선택한 드라이브는 [%s]입니다.\n 변경없이 진행하시고자 하면 \"예\"를 눌러 "
    "주세요.";
inline constexpr std::string_view kCaptionConfirmDrive = "메모리카드 확인";
inline constexpr std::string_view kTextConfirmHardDisk =
    "설치 대상으로 선택한 드라이브는 [하드디스크] 입니다.\n 변경없이 진행하시고자 하면 \"예\"를 "
    "눌러 "
    "주세요.";
inline constexpr std::string_view kCaptionConfirmHardDisk = "하드디스크 확인";
inline constexpr std::string_view kTextReinstall =
    "최신 버전이 설치 되어 있습니다.\n\n재 설치 하시겠습니까";
inline constexpr std::string_view kTextResume =
    "최신 버전의 지도를 이어서 설치할 수 있습니다.\n이어서 설치하시려면“예”\n처음부터 설치하시려면 "
    "“아니오”\n설치를 취소하시려면 “취소”를 누르세요.";
inline constexpr std::string_view kCaptionReinstall = "재 설치 확인";
inline constexpr std::string_view kTextCameraOnly =
    "\n카메라 정보 파일만 업데이트 되었습니다\n\n포맷체크 상태로 진행하시면 설치시간이 "
    "길어집니다.\n\n"
    "포맷하기 체크를 해제하시겠습니까?\n\n\"예\"를 누르시면 포맷없이 해당 파일만 복사되고\n\n"
    "\"아니오\"를 누르시면 포맷부터 진행하게 됩니다.";
inline constexpr std::string_view kCaptionCameraOnly = "포맷 확인";
inline constexpr std::string_view kTextBadDataFolder =
    "다운로드 폴더설정이 올바르지 않습니다.\n\n상단우측의 환경설정 항목으로 이동하셔서\n\n다운로드 "
    "폴더를 "
    "다시 설정해 주시기 바랍니다.\n\n[";
inline constexpr std::string_view kTextLargeBackup =
    "백업 데이터의 용량이 2GB 이상으로 \n\n지도 설치시 장시간 소요될 수 있습니다.\n\n[파일백업]을 "
    "해제 "
    "후 포맷을 하시겠습니까?\n\n(포맷시, 중요한 데이터는 반드시 백업 하시기 바랍니다)";
inline constexpr std::string_view kCaptionLargeBackup = "백업 데이터";

// Stopping a running job.
inline constexpr std::string_view kTextCannotStop =
    "백업, 삭제, 복구, 완료중에는 설치 중지를 할 수 없습니다.\n잠시후 다시 시도해 주세요.";
inline constexpr std::string_view kCaptionCannotStop = "중지 불가";
inline constexpr std::string_view kCaptionAskStop = "취소 확인";
inline constexpr std::string_view kTextAskStopInstall =
    "지도 설치를 취소하시겠습니까?\n\n설치 중지시 단말기에서 정상적으로 동작하지 않습니다.\n설치 "
    "중지 "
    "후 재 설치가 가능합니다.";
inline constexpr std::string_view kTextAskStopDownload =
    "PC 에 모든 파일이 다운로드 되지 않았습니다.\n\n그래도 다운로드를 취소하시겠습니까?\n\n"
    "다운로드중지 후 재 다운로드/설치가 가능합니다.";

// The install page's start button.
inline constexpr std::string_view kTextLowCardSpace =
    "메모리 카드의 남은 용량이 부족합니다. \n설치 진행시 정상 작동하지 않거나 설치 실패될 수 "
    "있습니다.\n50Mb이상의 여유공간을 두실 것을 권장합니다.\n설치를 진행하시겠습니까?";
inline constexpr std::string_view kCaptionLowCardSpace = "실행 확인";
inline constexpr std::string_view kTextNoCardSelected =
    "메모리 카드가 선택되지 않았습니다.\n메모리 카드로 설치없이 하드디스크로 다운로드만 "
    "가능합니다.\n계속할까요?";
inline constexpr std::string_view kCaptionNoCardSelected = "메모리카드 확인";
inline constexpr std::string_view kTextCardTooSmall =
    "메모리 카드의 용량이 부족하여 설치할 수 없습니다.\n설치 옵션 또는 설치 용량을 변경해 "
    "주세요.";
inline constexpr std::string_view kTextNoDeviceSelected =
    "단말모델이 선택되지 않아 설치할 수 없습니다.\n설치하고자 하는 단말기를 선택해 주세요.";

// Sign-in.
inline constexpr std::string_view kTextEnterId = "아이디를 입력해 주십시오.";
inline constexpr std::string_view kTextEnterPassword = "비밀번호를 입력해 주십시오.";

}  // namespace mapvale::controller
