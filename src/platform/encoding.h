#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mapvale::platform {

// Conversion between the program's UTF-8 and CP949, the code page of everything the maker's
// servers and the navigation unit read or write. This is the only place that converts.

enum class InvalidBytes {
    kFail,     // stop at the first byte that does not convert
    kReplace,  // write '?' for it and go on
};

struct Converted {
    std::string text;  // the converted text (up to the bad byte with kFail)
    // Offset in the input of the first byte that did not convert, or npos when all did.
    std::size_t first_invalid = std::string_view::npos;

    bool ok() const { return first_invalid == std::string_view::npos; }
};

Converted Utf8ToCp949(std::string_view utf8, InvalidBytes policy = InvalidBytes::kFail);
Converted Cp949ToUtf8(std::string_view cp949, InvalidBytes policy = InvalidBytes::kFail);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace mapvale::platform
