#include "update/patch_entry.h"

#include <charconv>
#include <limits>

#include "platform/files.h"

namespace mapvale::update {
namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::int32_t> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<PatchEntry> ParsePatchLine(std::string_view line) {
    line = Trim(line);
    if (line.size() > kMaxPatchLineBytes) {
        return std::nullopt;
    }
    const std::size_t first = line.find('|');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t second = line.find('|', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto version = ParseNumber(line.substr(0, first));
    const auto archive = ParseNumber(line.substr(first + 1, second - first - 1));
    if (!version || !archive) {
        return std::nullopt;
    }
    // A trailing '/' would leave no file name; SafeRelativePath drops it, so look first.
    const std::string raw_path = platform::NormalizePath(Trim(line.substr(second + 1)));
    if (raw_path.empty() || raw_path.back() == '/') {
        return std::nullopt;
    }
    const auto path = platform::SafeRelativePath(raw_path);
    if (!path || path->empty()) {
        return std::nullopt;
    }
    PatchEntry entry;
    entry.version = *version;
    entry.archive = *archive;
    const std::size_t slash = path->rfind('/');
    if (slash == std::string::npos) {
        entry.name = *path;
    } else {
        entry.folder = path->substr(0, slash + 1);
        entry.name = path->substr(slash + 1);
    }
    if (entry.name.empty()) {
        return std::nullopt;
    }
    return entry;
}

std::string FormatPatchLine(const PatchEntry& entry) {
    return std::to_string(entry.version) + "|" + std::to_string(entry.archive) + "|" +
           entry.path() + "\r\n";
}

std::string DownloadName(const PatchEntry& entry) {
    if (!entry.is_archive()) {
        return entry.name;
    }
    return entry.name.substr(0, entry.name.find('.')) + ".zip";
}

}  // namespace mapvale::update
