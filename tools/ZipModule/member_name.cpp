#include "ZipModule/member_name.h"

#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::zipmodule {

namespace {

bool HasControl(std::string_view text) {
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> DecodeMemberName(std::string_view raw, bool marked_utf8) {
    if (marked_utf8) {
        if (!platform::IsValidUtf8(raw)) {
            return std::nullopt;
        }
        return std::string(raw);
    }
    platform::Converted converted = platform::Cp949ToUtf8(raw);
    if (converted.ok()) {
        return std::move(converted.text);
    }
    if (platform::IsValidUtf8(raw)) {
        return std::string(raw);
    }
    return std::nullopt;
}

std::optional<std::string> MemberPath(std::string_view name) {
    if (HasControl(name)) {
        return std::nullopt;
    }
    return platform::SafeRelativePath(name);
}

bool LinkStaysInside(std::string_view member_path, std::string_view target) {
    const std::string normal = platform::NormalizePath(target);
    if (normal.empty() || normal.front() == '/' || HasControl(normal) ||
        (normal.size() >= 2 && normal[1] == ':')) {
        return false;
    }
    // Depth below the destination of the folder holding the link: one per separator of its
    // path, which MemberPath left without empty, "." or ".." parts.
    std::size_t depth = 0;
    for (const char c : platform::NormalizePath(member_path)) {
        depth += c == '/' ? 1 : 0;
    }
    std::size_t start = 0;
    while (start <= normal.size()) {
        std::size_t end = normal.find('/', start);
        if (end == std::string::npos) {
            end = normal.size();
        }
        const std::string_view part = std::string_view(normal).substr(start, end - start);
        if (part == "..") {
            if (depth == 0) {
                return false;
            }
            --depth;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = '?';
        }
    }
    return out;
}

}  // namespace mapvale::zipmodule
