#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale {

// Web pages the sign-in screen and the install page open in the desktop's browser, by key, from the
// [Pages] section of Info/Servers.ini (beside the [Servers] section ServerConfig reads):
//
//   [Pages]
//   find-id-ov = http://portal.example/find-id
//
// Only full http or https addresses count; anything else is ignored, so a page that is missing
// or malformed leaves its button without effect rather than handing the desktop a file or a
// command. Keys compare without case.
class PageAddresses {
public:
    static constexpr std::string_view kFindIdOv = "find-id-ov";
    static constexpr std::string_view kFindPasswordOv = "find-password-ov";
    static constexpr std::string_view kFindIdDl = "find-id-dl";
    static constexpr std::string_view kFindPasswordDl = "find-password-dl";
    static constexpr std::string_view kOrlaHome = "orla-home";
    // The maker's product site (the install page's unit management).
    static constexpr std::string_view kProductSite = "product-site";

    static std::optional<PageAddresses> Load(const std::string& path);
    static PageAddresses Parse(std::string_view text);

    // The address, or empty when none is configured.
    std::string Find(std::string_view key) const;

private:
    std::map<std::string, std::string> pages_;  // lower-cased key -> address
};

}  // namespace mapvale
