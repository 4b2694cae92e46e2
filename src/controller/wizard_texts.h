#pragma once

#include <string_view>

namespace mapvale::controller {

// The easy-install wizard's visible texts, word for word.

// Status line of the option page and the summary of the countdown page.
inline constexpr std::string_view kLineNoDevice = "* 설치 단말기를 선택해 주세요.";
inline constexpr std::string_view kLineNoDrive = "* 설치 드라이브를 선택해 주세요.";
inline constexpr std::string_view kLineNothingFits =
    "* 설치할 수 없습니다. 옵션 변경을 시도하세요.";
inline constexpr std::string_view kLineSizedPackage = "* %dG 패키지를 설치합니다.";
inline constexpr std::string_view kLineBullet = "* ";
inline constexpr std::string_view kSummaryDriveTooSmall =
    "* 선택된(입력된) 드라이브의 용량이 작아 설치할 수 없습니다.";
inline constexpr std::string_view kSummaryUserPackage = "%c드라이브, %s, 사용자선택 패키지 설치";
inline constexpr std::string_view kSummaryCameraPackage = "%c드라이브, %s, 안전운행 데이터 설치";
inline constexpr std::string_view kSummaryFullPackage = "%c드라이브, %s, 전체 패키지 설치";
inline constexpr std::string_view kSummarySizedPackage = "%c드라이브, %s, %dG 패키지 설치";
// What the option page's status line says for the two special packages: the summary's words.
inline constexpr std::string_view kWordsUserPackage = "사용자선택 패키지 설치";
inline constexpr std::string_view kWordsCameraPackage = "안전운행 데이터 설치";

// Progress page.
inline constexpr std::string_view kProgressCopying = "%s 파일 복사중....";
inline constexpr std::string_view kProgressUnpacking = " 압축해제중(수십분소용예상)";
inline constexpr std::string_view kProgressDownloading = "%s 파일 다운로드 중....";
inline constexpr std::string_view kProgressPreparing = "설치 준비중입니다.";
// The one file whose copy step is an unpacking that takes long.
inline constexpr std::string_view kUnpackedOnCard = "SPOT.exe";

// Device box.
inline constexpr std::string_view kRegisterProduct = "제품을 등록해 주세요.";
inline constexpr std::string_view kWizardNoticeCaption = "Waymark+ 알림";
inline constexpr std::string_view kTextChooseVehicleFirst =
    "차량을 선택한 후에 다시 시도해 주시기 바랍니다.";
inline constexpr std::string_view kTextPdaNoEasyInstall =
    "PDA 버전에서는 간편설치를 지원하지 않습니다.\n\n선택설치로 이동 하겠습니다.";

// Format option.
inline constexpr std::string_view kTextCancelFormat =
    "포맷 설정을 취소 하시겠습니까?\n\n(포맷을 할 경우 SD카드에 베드섹터 발생 방지 및 SD 카드 "
    "손상을 방지하여\n\n보다 안정적으로 관리 할 수 있습니다.)";
inline constexpr std::string_view kCaptionCancelFormat = "확인 취소";
// The check boxes' captions, as the program's other questions name them.
inline constexpr std::string_view kFormatCheckCaption = "포맷하기";
inline constexpr std::string_view kBackupCheckCaption = "파일백업";

// Vehicle media.
inline constexpr std::string_view kMediumSd = "대상 차종은 SD로 업데이트 가능합니다.";
inline constexpr std::string_view kMediumUsb = "대상 차종은 USB로 업데이트 가능합니다.";
inline constexpr std::string_view kMediumUsbDvd = "대상 차종은 USB DVD 모두 저장 가능합니다.";
inline constexpr std::string_view kMediumDvd =
    "대상 차종은 DVD로 업데이트 가능합니다.\n\n(하드디스크로만 다운로드 가능합니다.)";
inline constexpr std::string_view kMoveScreenButton = "화면 이동";

// Pictures of the option page, below the program folder.
inline constexpr std::string_view kDefaultProductPicture = "Info/DefProduct.jpg";
inline constexpr std::string_view kNoSelectionPicture = "Info/NoneSelect.jpg";

// The progress page's help page on the registration server.
inline constexpr std::string_view kHelpPagePath =
    "/AVNproduct/support/faq/index.mms?code=faq&mode=view&page=1&skind=1&idx=42&bkeyfield=subject&"
    "bkeyword=";

}  // namespace mapvale::controller
