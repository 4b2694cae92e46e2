#include "extras/free_file_name.h"

#include "platform/files.h"

namespace mapvale::extras {

namespace {
constexpr int kLastCounter = 9999;
}

std::optional<std::string> FreeFileName(std::string_view folder, std::string_view name) {
    const std::size_t dot = name.find('.');
    const std::string_view stem = name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    for (int counter = 2; counter <= kLastCounter; ++counter) {
        std::string candidate(stem);
        candidate += '(' + std::to_string(counter) + ')';
        if (dot != std::string_view::npos) {
            candidate.append(".").append(extension);
        }
        const std::string path = platform::JoinPath(folder, candidate);
        if (platform::FileExists(path)) {
            if (platform::FileSize(path).value_or(1) == 0) {
                return candidate;  // an empty file holds nothing worth keeping
            }
        } else if (!platform::FolderExists(path)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace mapvale::extras
