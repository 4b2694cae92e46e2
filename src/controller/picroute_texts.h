#pragma once

#include <string_view>

namespace mapvale::controller::picroute_texts {

// What the photo service tells the user; the controller's photo handlers share these.
inline constexpr std::string_view kChooseDevice =
    "Picroute는 단말기 선택 후 다운로드 가능합니다. 지도설치에서 단말기를 선택 후 이용해주세요";
inline constexpr std::string_view kCaptionChoice = "선택 오류";
inline constexpr std::string_view kCopyFailed = "Picroute, 파일 복사에 실패하였습니다.";
inline constexpr std::string_view kCaptionFailed = "처리 실패";
inline constexpr std::string_view kCaptionDone = "처리 완료";

}  // namespace mapvale::controller::picroute_texts
