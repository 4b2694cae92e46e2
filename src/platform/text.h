#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::platform {

// Small text helpers for the program's readers and parsers. Everything works on UTF-8 bytes;
// case folding and white space are ASCII only, which is all the file formats and protocols use.

// `text` without leading and trailing white space (space, tab, CR, LF, VT, FF).
std::string_view TrimText(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view text, std::string_view part);

// The number at the start of `text` read as the C library's atoi does: leading white space, an
// optional sign, then decimal digits; 0 when there are no digits. Values too large for the
// result saturate instead of overflowing.
std::int32_t LeadingInt32(std::string_view text);
std::int64_t LeadingInt64(std::string_view text);

// The pieces of `text` between `separator`s, empty pieces included ("a||b" gives three).
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// The longest prefix of `text` of at most `max_bytes` that does not end inside a UTF-8
// sequence.
std::string_view CutUtf8(std::string_view text, std::size_t max_bytes);

}  // namespace mapvale::platform
