#pragma once

#include <string_view>

namespace mapvale::cli {

// The console front end's own texts. The controller's questions and results keep the controller's
// wording (controller/controller_texts.h); these are what only the console says.

// Start-up.
inline constexpr std::string_view kTextAnotherInstance =
    "다른 업데이트 프로그램이 실행 중입니다. 그 프로그램을 닫은 후 다시 실행해 주세요.";
inline constexpr std::string_view kTextStartupFailed = "시작하지 못했습니다.";

// Self-update.
inline constexpr std::string_view kTextCheckingUpdate = "프로그램 업데이트를 확인합니다.";
inline constexpr std::string_view kTextUpdating = "프로그램을 업데이트합니다.";
inline constexpr std::string_view kTextUpdateProgress = "프로그램 업데이트 중";
inline constexpr std::string_view kTextUpdated = "프로그램 파일을 업데이트했습니다.";
inline constexpr std::string_view kTextUpdateUnchanged = "업데이트할 파일을 설치하지 못했습니다.";
inline constexpr std::string_view kTextUpdateNoRights =
    "프로그램 폴더에 쓸 권한이 없어 프로그램 업데이트를 건너뜁니다. 업데이트하려면 권한이 있는 "
    "사용자로 실행해 주세요.";
inline constexpr std::string_view kTextUpdateCancelled = "프로그램 업데이트를 취소했습니다.";

// Sign-in.
inline constexpr std::string_view kTextSigningIn = "로그인합니다: ";
inline constexpr std::string_view kTextSignedIn = "로그인했습니다: ";
inline constexpr std::string_view kTextSignInFailed = "로그인하지 못했습니다: ";
inline constexpr std::string_view kTextNoCredentials =
    "로그인 정보가 없습니다. --user 와 --password 로 지정해 주세요.";
inline constexpr std::string_view kPromptUser = "아이디: ";
inline constexpr std::string_view kPromptPassword = "비밀번호: ";
inline constexpr std::string_view kTextCheckingDevices = "단말 정보를 확인하는 중";
inline constexpr std::string_view kTextReconsentDeclined =
    "교통정보 수집 동의 안내는 업데이트 프로그램에서 확인해 주세요.";

// Selection.
inline constexpr std::string_view kTextDevices = "단말기 목록:";
inline constexpr std::string_view kTextDrives = "드라이브 목록:";
inline constexpr std::string_view kTextNoDevices = "계정에 등록된 단말기가 없습니다.";
inline constexpr std::string_view kTextChooseDevice =
    "설치할 단말기를 정할 수 없습니다. --device 로 지정해 주세요.";
inline constexpr std::string_view kTextUnknownDevice = "계정에 없는 단말기입니다: ";
inline constexpr std::string_view kTextChooseCard =
    "설치할 메모리카드를 정할 수 없습니다. --card 또는 --hard-disk 로 지정해 주세요.";
inline constexpr std::string_view kTextUnknownCard = "지정한 메모리카드가 연결되어 있지 않습니다: ";
inline constexpr std::string_view kTextInsertCard = "메모리카드를 삽입/선택 해주세요.";
inline constexpr std::string_view kTextPdaNoEasyInstall =
    "PDA 버전에서는 간편설치를 지원하지 않습니다.";
inline constexpr std::string_view kTextCardTooSmall =
    "* 선택된(입력된) 드라이브의 용량이 작아 설치할 수 없습니다.";
// After a download error: the PC's disk filled up while a span was written.
inline constexpr std::string_view kTextDiskFull = "PC의 디스크 공간이 부족합니다.";
inline constexpr std::string_view kTextHardDiskOnly = "하드 디스크에만 다운로드";
inline constexpr std::string_view kTextDataFolderFailed = "다운로드 폴더를 만들 수 없습니다: ";

// Questions.
inline constexpr std::string_view kPromptYesNo = "[예(y)/아니오(n)] ";
inline constexpr std::string_view kPromptYesNoCancel = "[예(y)/아니오(n)/취소(c)] ";
inline constexpr std::string_view kTextAnswered = "응답: ";
inline constexpr std::string_view kTextNoAnswer = "(응답할 수 없어 다음으로 처리합니다) ";
inline constexpr std::string_view kAnswerYes = "예";
inline constexpr std::string_view kAnswerNo = "아니오";
inline constexpr std::string_view kAnswerCancel = "취소";
inline constexpr std::string_view kCaptionNotice = "공지";
inline constexpr std::string_view kTextNotice = "설치 전 공지를 확인해 주세요: ";
inline constexpr std::string_view kTextNoticeQuestion = "공지를 확인하고 설치를 계속하시겠습니까?";
inline constexpr std::string_view kTextOpen = "열기: ";
inline constexpr std::string_view kTextProgramToStart = "실행할 프로그램: ";
inline constexpr std::string_view kTextNoFolderChooser =
    "폴더 선택은 --data-folder 옵션으로 해 주세요.";

// Job.
inline constexpr std::string_view kTextJobStarting = "설치를 시작합니다.";
inline constexpr std::string_view kTextJobNotStarted = "설치를 시작하지 않았습니다.";
inline constexpr std::string_view kTextNothingToDo = "설치할 것이 없습니다.";
inline constexpr std::string_view kTextJobDone = "지도 설치를 완료했습니다.";
inline constexpr std::string_view kTextDownloadDone = "다운로드를 완료했습니다.";
inline constexpr std::string_view kTextInterrupted = "사용자가 작업을 취소했습니다.";
inline constexpr std::string_view kTextEndedEarly = "프로그램이 작업 중에 끝났습니다.";

// Status.
inline constexpr std::string_view kTextNoCards = "연결된 메모리카드가 없습니다.";
inline constexpr std::string_view kTextCardPackage = "카드의 패키지: ";
inline constexpr std::string_view kTextCardNoPackage = "카드에 설치된 패키지가 없습니다.";
inline constexpr std::string_view kTextCardComplete = "설치 완료";
inline constexpr std::string_view kTextCardIncomplete = "설치 미완료";
inline constexpr std::string_view kTextFittingDevice = "맞는 단말기: ";
inline constexpr std::string_view kTextNoFittingDevice = "이 계정에 카드의 단말기가 없습니다.";
inline constexpr std::string_view kTextNewestPackage = "최신 패키지: ";
inline constexpr std::string_view kTextNoFittingPackage = "맞는 패키지 없음(카드 용량 부족)";
inline constexpr std::string_view kTextState = "상태: ";

}  // namespace mapvale::cli
