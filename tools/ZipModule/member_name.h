#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapvale::zipmodule {

// A member name as UTF-8. `raw` is the name's bytes as stored; `marked_utf8` is true when the
// archive marks them as UTF-8 (the language-encoding flag or a Unicode path field) or they are
// plain ASCII. Unmarked names are CP949, which is how the packages' archives are written; an
// unmarked name that is not CP949 but is well-formed UTF-8 is taken as UTF-8, as archivers on
// UTF-8 systems write names without marking them. Nothing when the bytes are neither.
std::optional<std::string> DecodeMemberName(std::string_view raw, bool marked_utf8);

// The path below the destination that a decoded name stands for: '\' is a folder separator as
// '/' is, "." parts are dropped, and a trailing separator (a folder member) is kept. Nothing
// when the name would leave the destination: empty, absolute, with a drive prefix, with a ".."
// part, or with a control character.
std::optional<std::string> MemberPath(std::string_view name);

// True when a symbolic link stored at `member_path` (a MemberPath) with the target text
// `target` points inside the destination: a relative target whose ".." parts, counted from the
// link's own folder, never climb above the destination.
bool LinkStaysInside(std::string_view member_path, std::string_view target);

// `text` for a one-line message: control characters become '?'.
std::string Printable(std::string_view text);

}  // namespace mapvale::zipmodule
