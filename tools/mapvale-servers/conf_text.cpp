#include "mapvale-servers/conf_text.h"

#include "platform/encoding.h"

namespace mapvale::servers {
namespace {

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::string LineError(int number, std::string_view message) {
    return "line " + std::to_string(number) + ": " + std::string(message);
}

ConfText ParseConfText(std::string_view text) {
    ConfText result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        if (!platform::IsValidUtf8(raw)) {
            result.error = LineError(number, "the text is not UTF-8");
            return result;
        }
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        ConfLine conf;
        conf.number = number;
        if (line.front() == '[') {
            if (line.back() != ']') {
                result.error = LineError(number, "a section line must end in ']'");
                return result;
            }
            const std::string_view inside = Trim(line.substr(1, line.size() - 2));
            const std::size_t blank = inside.find_first_of(" \t");
            conf.section = true;
            conf.key = std::string(inside.substr(0, blank));
            if (blank != std::string_view::npos) {
                conf.value = std::string(Trim(inside.substr(blank)));
            }
            if (conf.key.empty()) {
                result.error = LineError(number, "a section needs a word");
                return result;
            }
        } else {
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) {
                result.error = LineError(number, "expected \"key = value\"");
                return result;
            }
            conf.key = std::string(Trim(line.substr(0, equals)));
            conf.value = std::string(Trim(line.substr(equals + 1)));
            if (conf.key.empty()) {
                result.error = LineError(number, "the key is empty");
                return result;
            }
        }
        result.lines.push_back(std::move(conf));
    }
    return result;
}

}  // namespace mapvale::servers
