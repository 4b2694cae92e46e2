#pragma once

#include <functional>
#include <string_view>

namespace mapvale {

// Calls `entry(key, value)` for each "key = value" line of `section` (named without brackets,
// compared without case) in an ini text, both trimmed. Blank lines and ';' or '#' comments are
// skipped; `before_any_section` says whether lines above the first header belong to it.
void ForEachIniEntry(
    std::string_view text, std::string_view section, bool before_any_section,
    const std::function<void(std::string_view key, std::string_view value)>& entry);

}  // namespace mapvale
