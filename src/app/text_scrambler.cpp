#include "app/text_scrambler.h"

#include "app/constants.h"

namespace mapvale::app {

namespace {

// The key doubled until it covers `length` bytes, as stored texts have always been made.
std::string KeyFor(std::string_view key, std::size_t length) {
    std::string k(key.empty() ? kScramblerKey : key);
    while (k.size() < length) {
        k += k;
    }
    return k;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::string ScrambleText(std::string_view text, std::string_view key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::string k = KeyFor(key, text.size());
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i] ^ k[i]);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::optional<std::string> UnscrambleText(std::string_view hex, std::string_view key) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    const std::size_t length = hex.size() / 2;
    const std::string k = KeyFor(key, length);
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const int high = HexValue(hex[2 * i]);
        const int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>((high << 4 | low) ^ static_cast<unsigned char>(k[i])));
    }
    return out;
}

}  // namespace mapvale::app
