#include "tray/notice_check.h"

#include "net/answer_envelope.h"

namespace mapvale::tray {

std::optional<std::int32_t> ReadNoticeCode(std::string_view text) {
    const net::AnswerEnvelope envelope(text);
    if (envelope.SectionCount() < 2) {
        return std::nullopt;
    }
    const std::int32_t code = net::LeadingNumber(envelope.Section(1));
    if (code == 0) {
        return std::nullopt;
    }
    return code;
}

NoticeDecision DecideNotice(std::int32_t fetched, std::int32_t stored) {
    NoticeDecision decision;
    if (fetched == stored) {
        return decision;
    }
    decision.code_to_store = fetched;
    decision.show_notice = stored != 0;
    return decision;
}

}  // namespace mapvale::tray
