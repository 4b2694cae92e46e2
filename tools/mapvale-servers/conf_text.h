#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapvale::servers {

// The readable settings files of the stand-in servers (accounts, package manifests, the world's
// settings) share one syntax:
//
//   # a comment: a line whose first character after blanks is '#'
//   key = value            blanks around key and value are dropped; the value may be empty
//   [section]              opens a section ...
//   [section name]         ... that may carry a name after the first blank
//
// Lines end at LF (a CR before it is dropped); blank lines are skipped; the text is UTF-8 (a
// byte-order mark at the start is skipped). What each key means is the reader's business.
struct ConfLine {
    int number = 0;  // 1-based line number, for messages
    bool section = false;
    std::string key;    // the key, or the section's word
    std::string value;  // the value, or the section's name (empty when it has none)
};

struct ConfText {
    std::vector<ConfLine> lines;
    std::string error;  // empty when every line could be read

    bool ok() const { return error.empty(); }
};

// Reads the text. A line that is neither a comment, a section nor "key = value", an empty key,
// an unclosed '[', or text that is not UTF-8 gives an error naming the line.
ConfText ParseConfText(std::string_view text);

// "line N: " + message, as every reader words its errors.
std::string LineError(int number, std::string_view message);

}  // namespace mapvale::servers
