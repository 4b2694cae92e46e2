#pragma once

#include <string>
#include <string_view>

namespace mapvale::extras {

// What the photo board answered to an upload.
struct UploadAnswer {
    int status = 600;   // the HTTP status, 600 when none could be read
    bool text = false;  // the Content-Type starts with "text/"
    std::string body;   // exactly Content-Length bytes; empty without one
};

// The answer's meaning, after the byte-order mark the board puts first.
struct UploadVerdict {
    enum class Kind { kNone, kPosted, kRefused };
    Kind kind = Kind::kNone;
    std::string reason;  // kRefused: from the body's tenth byte on, as UTF-8
};

// "OK" after the first three bytes: posted; "NotOK": refused with the reason that follows
// "NotOK|" (read as UTF-8 when it is valid UTF-8, else as CP949). A body shorter than five
// bytes, or anything else, means nothing.
UploadVerdict ReadUploadVerdict(std::string_view body);

}  // namespace mapvale::extras
