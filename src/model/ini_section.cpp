#include "model/ini_section.h"

#include <string>

#include "platform/text.h"

namespace mapvale {

void ForEachIniEntry(
    std::string_view text, std::string_view section, bool before_any_section,
    const std::function<void(std::string_view key, std::string_view value)>& entry) {
    const std::string header = "[" + platform::AsciiLower(section) + "]";
    bool inside = before_any_section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = platform::TrimText(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inside = platform::AsciiLower(line) == header;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (inside && eq != std::string_view::npos) {
            entry(platform::TrimText(line.substr(0, eq)), platform::TrimText(line.substr(eq + 1)));
        }
    }
}

}  // namespace mapvale
