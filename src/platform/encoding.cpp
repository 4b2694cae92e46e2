#include "platform/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace mapvale::platform {

namespace {

// One iconv conversion. iconv descriptors are not thread-safe, so each call opens its own; the
// cost is small next to the network and file work around every conversion.
// How many bytes one unconvertible character takes: a whole UTF-8 sequence is replaced by one
// '?', not one per byte.
std::size_t Utf8SequenceLength(std::string_view rest) {
    const unsigned char c = static_cast<unsigned char>(rest.front());
    std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    length = std::min(length, rest.size());
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(rest[k]) & 0xC0) != 0x80) {
            return k;
        }
    }
    return length;
}

Converted Convert(const char* to, const char* from, std::string_view input, InvalidBytes policy,
                  char replacement) {
    const bool from_utf8 = std::string_view(from) == "UTF-8";
    Converted result;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        result.first_invalid = 0;
        return result;
    }
    result.text.reserve(input.size() * 3 / 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    char buffer[4096];
    while (in_left > 0) {
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
        result.text.append(buffer, static_cast<std::size_t>(out - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;  // the buffer was full; the loop drains it
        }
        // EILSEQ (a byte that does not convert) or EINVAL (a sequence cut off at the end).
        const std::size_t offset = input.size() - in_left;
        if (result.ok()) {
            result.first_invalid = offset;
        }
        if (policy == InvalidBytes::kFail) {
            break;
        }
        result.text.push_back(replacement);
        const std::size_t skip =
            from_utf8 ? Utf8SequenceLength(std::string_view(in, in_left)) : 1;
        in += skip;
        in_left -= skip;
    }
    if (policy == InvalidBytes::kReplace || result.ok()) {
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        iconv(cd, nullptr, nullptr, &out, &out_left);
        result.text.append(buffer, static_cast<std::size_t>(out - buffer));
    }
    iconv_close(cd);
    return result;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

Converted Utf8ToCp949(std::string_view utf8, InvalidBytes policy) {
    if (IsAscii(utf8)) {
        return {std::string(utf8)};
    }
    return Convert("CP949", "UTF-8", utf8, policy, '?');
}

Converted Cp949ToUtf8(std::string_view cp949, InvalidBytes policy) {
    if (IsAscii(cp949)) {
        return {std::string(cp949)};
    }
    return Convert("UTF-8", "CP949", cp949, policy, '?');
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kMin[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace mapvale::platform
