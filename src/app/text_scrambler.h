#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapvale::app {

// The program's text scrambler: repeating-key XOR written as upper-case hexadecimal. It keeps the
// stored credentials and the user identifier handed to web pages from being plain text; it is
// not encryption. An empty key means the built-in key.

// Twice as long as `text`: two hexadecimal digits per byte, high digit first.
std::string ScrambleText(std::string_view text, std::string_view key = {});

// The text back, or nothing when `hex` is not an even number of hexadecimal digits.
std::optional<std::string> UnscrambleText(std::string_view hex, std::string_view key = {});

}  // namespace mapvale::app
