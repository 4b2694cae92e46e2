#include "extras/upload_answer.h"

#include "platform/encoding.h"

namespace mapvale::extras {

UploadVerdict ReadUploadVerdict(std::string_view body) {
    UploadVerdict verdict;
    if (body.size() < 5) {
        return verdict;
    }
    const std::string_view meaning = body.substr(3);
    if (meaning.starts_with("NotOK")) {
        verdict.kind = UploadVerdict::Kind::kRefused;
        const std::string_view reason = body.size() > 9 ? body.substr(9) : std::string_view();
        verdict.reason = platform::IsValidUtf8(reason)
                             ? std::string(reason)
                             : platform::Cp949ToUtf8(reason, platform::InvalidBytes::kReplace).text;
    } else if (meaning.starts_with("OK")) {
        verdict.kind = UploadVerdict::Kind::kPosted;
    }
    return verdict;
}

}  // namespace mapvale::extras
