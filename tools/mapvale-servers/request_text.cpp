#include "mapvale-servers/request_text.h"

#include "platform/encoding.h"

namespace mapvale::servers {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plus_is_space) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(plus_is_space && c == '+' ? ' ' : c);
    }
    return out;
}

std::vector<FormField> ParseFormFields(std::string_view urlencoded) {
    std::vector<FormField> fields;
    std::size_t start = 0;
    while (start <= urlencoded.size()) {
        std::size_t end = urlencoded.find('&', start);
        if (end == std::string_view::npos) {
            end = urlencoded.size();
        }
        const std::string_view piece = urlencoded.substr(start, end - start);
        if (!piece.empty()) {
            const std::size_t equals = piece.find('=');
            if (equals == std::string_view::npos) {
                fields.push_back({PercentDecode(piece, true), {}});
            } else {
                fields.push_back({PercentDecode(piece.substr(0, equals), true),
                                  PercentDecode(piece.substr(equals + 1), true)});
            }
        }
        start = end + 1;
    }
    return fields;
}

std::string RequestTextToUtf8(std::string_view bytes) {
    if (platform::IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return platform::Cp949ToUtf8(bytes, platform::InvalidBytes::kReplace).text;
}

}  // namespace mapvale::servers
