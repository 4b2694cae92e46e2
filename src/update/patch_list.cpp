#include "update/patch_list.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"

namespace mapvale::update {
namespace {

// Calls `take` with each line (line end removed) until it returns false.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!take(line)) {
            return;
        }
    }
}

bool IsBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

}  // namespace

ServerPatchList ParseServerPatchList(std::string_view text) {
    ServerPatchList list;
    ForEachLine(text, [&](std::string_view line) {
        if (IsBlank(line)) {
            return true;
        }
        if (line.find("DlgView") != std::string_view::npos) {
            list.show_dialog = Lower(line).find("true") != std::string::npos;
            return true;
        }
        auto entry = ParsePatchLine(line);
        if (!entry) {
            ++list.refused_lines;
            return true;
        }
        list.entries.push_back(std::move(*entry));
        return list.entries.size() < kMaxPatchEntries;
    });
    return list;
}

std::vector<PatchEntry> ParseLocalPatchList(std::string_view text) {
    std::vector<PatchEntry> entries;
    ForEachLine(text, [&](std::string_view line) {
        if (IsBlank(line)) {
            return false;
        }
        if (auto entry = ParsePatchLine(line)) {
            entries.push_back(std::move(*entry));
        }
        return entries.size() < kMaxPatchEntries;
    });
    return entries;
}

std::vector<PatchEntry> ReadLocalPatchList(const std::string& path) {
    const auto size = platform::FileSize(path);
    if (!size || *size > kMaxLocalListBytes) {
        return {};
    }
    const auto text = platform::ReadWholeFile(path);
    return text ? ParseLocalPatchList(*text) : std::vector<PatchEntry>();
}

bool IsCurrent(const PatchEntry& server_entry, const std::vector<PatchEntry>& local) {
    return std::any_of(local.begin(), local.end(), [&](const PatchEntry& entry) {
        return entry.name == server_entry.name && entry.version >= server_entry.version;
    });
}

std::vector<PatchEntry> RecordedPatchList(const std::vector<PatchEntry>& server,
                                          const std::vector<PatchEntry>& local,
                                          const std::vector<bool>& settled) {
    std::vector<PatchEntry> recorded;
    std::vector<bool> local_used(local.size(), false);
    for (std::size_t i = 0; i < server.size(); ++i) {
        if (i < settled.size() && settled[i]) {
            recorded.push_back(server[i]);
            continue;
        }
        for (std::size_t j = 0; j < local.size(); ++j) {
            if (!local_used[j] && local[j].name == server[i].name) {
                local_used[j] = true;
                recorded.push_back(local[j]);
                break;
            }
        }
    }
    // Lines of files this server list does not name stay: the two programs keep one local list
    // and each server area names only its own program's files.
    for (const PatchEntry& entry : local) {
        const bool named = std::any_of(server.begin(), server.end(),
                                       [&](const PatchEntry& s) { return s.name == entry.name; });
        if (!named) {
            recorded.push_back(entry);
        }
    }
    return recorded;
}

std::string FormatPatchList(const std::vector<PatchEntry>& entries) {
    std::string text;
    for (const PatchEntry& entry : entries) {
        text += FormatPatchLine(entry);
    }
    return text;
}

bool WriteLocalPatchList(const std::string& path, const std::vector<PatchEntry>& entries) {
    const std::string normalized = platform::NormalizePath(path);
    const std::size_t slash = normalized.rfind('/');
    if (slash != std::string::npos && slash > 0 &&
        !platform::CreateFolderChain(normalized.substr(0, slash))) {
        return false;
    }
    return platform::WriteFileAtomic(normalized, FormatPatchList(entries));
}

}  // namespace mapvale::update
