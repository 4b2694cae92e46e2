#include "tray/popup_text.h"

namespace mapvale::tray {

std::string_view PopupText(int type) {
    switch (type) {
        case kPopupNeedsUpdate:
        case kPopupNeedsUpdateToo:
            return "업데이트가 필요합니다.";
        case kPopupLatest:
            return "최신 버전입니다.";
        case kPopupServerTrouble:
            return "서버 접속이 원활하지 않습니다. \r\n잠시 후에 시도해 주세요.";
        case kPopupMaintenance:
            return "정기 업데이트 중입니다. 잠시 후에 시도해 주세요.";
        default:
            return {};
    }
}

}  // namespace mapvale::tray
