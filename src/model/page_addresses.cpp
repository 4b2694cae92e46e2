#include "model/page_addresses.h"

#include "model/ini_section.h"
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
    ForEachIniEntry(text, "pages", false, [&pages](std::string_view key, std::string_view address) {
        if (IsWebAddress(address)) {
            pages.pages_[platform::AsciiLower(key)] = std::string(address);
        }
    });
    return pages;
}

std::string PageAddresses::Find(std::string_view key) const {
    const auto it = pages_.find(platform::AsciiLower(key));
    return it == pages_.end() ? std::string() : it->second;
}

}  // namespace mapvale
