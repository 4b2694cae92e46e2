#include "model/page_addresses.h"

#include "platform/files.h"
#include "platform/text.h"

namespace mapvale {

namespace {

bool IsWebAddress(std::string_view address) {
    const std::string lower = platform::AsciiLower(address);
    for (const std::string_view scheme :
         {std::string_view("http://"), std::string_view("https://")}) {
        if (lower.size() > scheme.size() && lower.compare(0, scheme.size(), scheme) == 0) {
            return address.find_first_of(" \t\"'<>\\") == std::string_view::npos;
        }
    }
    return false;
}

}  // namespace

std::optional<PageAddresses> PageAddresses::Load(const std::string& path) {
    auto text = platform::ReadWholeFile(path);
    if (!text) {
        return std::nullopt;
    }
    return Parse(*text);
}

PageAddresses PageAddresses::Parse(std::string_view text) {
    PageAddresses pages;
    bool in_pages = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = platform::TrimText(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            in_pages = platform::AsciiLower(line) == "[pages]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!in_pages || eq == std::string_view::npos) {
            continue;
        }
        const std::string_view address = platform::TrimText(line.substr(eq + 1));
        if (IsWebAddress(address)) {
            pages.pages_[platform::AsciiLower(platform::TrimText(line.substr(0, eq)))] =
                std::string(address);
        }
    }
    return pages;
}

std::string PageAddresses::Find(std::string_view key) const {
    const auto it = pages_.find(platform::AsciiLower(key));
    return it == pages_.end() ? std::string() : it->second;
}

}  // namespace mapvale
