#include "update/update_texts.h"

namespace mapvale::update {

std::string CheckFailureText(int code) {
    const std::string head = "\n서버로부터 패치정보를 얻을 수 없습니다.\n\n";
    const std::string tail = "\n\n버전 : Version 1.1.0.0";
    switch (code) {
        case -8:
            return head + "서버 관리자에게 문의해 주시기 바랍니다." + tail;
        case -6:
            return head + "방화벽으로 인한 접속 차단 (방화벽의 차단 여부를 확인 하세요.)" + tail;
        case -1:
            return head + "네트워크를 확인/연결 하신후 다시 실행해 주세요." + tail;
        default:
            return head + "네트워크 관련 오류 입니다. [오류코드:" + std::to_string(code) + "]" +
                   tail;
    }
}

}  // namespace mapvale::update
