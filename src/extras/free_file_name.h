#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapvale::extras {

// A name in `folder` for a copy of `name` that replaces nothing of value: "ThemeFile(2).bin",
// then (3) and on, the first that does not exist or is empty. The name splits at its first '.';
// a name without one gets no dot ("name(2)"). Nothing after (9999).
std::optional<std::string> FreeFileName(std::string_view folder, std::string_view name);

}  // namespace mapvale::extras
