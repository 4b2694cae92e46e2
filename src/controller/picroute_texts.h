#pragma once

#include <string_view>

namespace mapvale::controller::picroute_texts {

// What the photo service tells the user.
inline constexpr std::string_view kChooseDevice =
    "Picroute는 단말기 선택 후 다운로드 가능합니다. 지도설치에서 단말기를 선택 후 이용해주세요";
inline constexpr std::string_view kCaptionChoice = "선택 오류";
inline constexpr std::string_view kCopyFailed = "Picroute, 파일 복사에 실패하였습니다.";
inline constexpr std::string_view kCaptionFailed = "처리 실패";
inline constexpr std::string_view kCaptionDone = "처리 완료";

// The board's download.
inline constexpr std::string_view kOrlaOnly = "Picroute는 Orla 단말기만 이용이 가능합니다.";
inline constexpr std::string_view kCaptionNoDownload = "다운로드 불가";
inline constexpr std::string_view kInsertCard = "메모리카드를 삽입 후 시도해 주세요.";
inline constexpr std::string_view kCaptionCard = "메모리카드";
inline constexpr std::string_view kJobBusy =
    "백업, 삭제, 복구중에는 컨텐츠를 다운로드 받을 수 없습니다.\n잠시후 다시 시도해 주세요.";
inline constexpr std::string_view kDownloadFailed =
    "Picroute, 다운로드에 실패하였습니다.\n잠시후에 다시 시도해 주세요.";
inline constexpr std::string_view kDownloaded = "다운로드 후 메모리카드에 복사를 완료하였습니다.";

// The photo dialog's save.
inline constexpr std::string_view kBadPosition =
    "좌표가 정상적이지 않으면 Picroute로의 저장이 불가합니다.\n[수정]버튼 클릭 후 지도의 위치를 "
    "선택 하세요.";
inline constexpr std::string_view kCaptionInput = "입력 오류";
inline constexpr std::string_view kNoCategory = "분류를 입력해 주세요.";
inline constexpr std::string_view kNoSubject = "제목을 입력해 주세요.";
inline constexpr std::string_view kNoLocation = "장소를 입력해 주세요.";
inline constexpr std::string_view kNoContents = "내용을 입력해 주세요.";
inline constexpr std::string_view kNoCard = "메모리카드 삽입 없이 저장할 수 없습니다.";
inline constexpr std::string_view kPosted = "Picroute, 웹 게시를 완료하였습니다.";
inline constexpr std::string_view kCopied = "메모리 카드에 복사를 완료하였습니다.";
// The writer's failure, with its code (printf format).
inline constexpr const char* kWriteFailedFormat = "좌표 정보 저장 오류가 발생했습니다. [%d]\n";

// A photo of the same name on the card.
inline constexpr std::string_view kSameName =
    "SD 메모리에 다운받고자 하는 파일명과 동일한 파일명이 존재합니다.\n [예]를 누르시면 "
    "덮어쓰기 되며 [아니오]를 누르시면 다른 파일명으로 저장됩니다.";
inline constexpr std::string_view kCaptionSameName = "Waymark+ 알림";

}  // namespace mapvale::controller::picroute_texts
