#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::controller {

// One advertisement of a rotating banner list: the page and how long it stays.
struct BannerEntry {
    std::string url;  // with "?userid=<ID>" appended
    int seconds = 0;
};

// The two rotating lists: S for the main screens, E for the wizard's progress screen.
struct BannerLists {
    std::vector<BannerEntry> s;
    std::vector<BannerEntry> e;
    std::string start_url;  // the URL of the first valid line of either letter
};

// Reads a banner file: lines "letter,seconds,URL" ending in CR LF or LF (the last may lack it);
// '#' lines are comments; a line counts only when its letter field starts with 'S' or 'E' and
// its seconds exceed 1. `user_id` is appended to every URL as "?userid=<ID>".
BannerLists ParseBannerFile(std::string_view text, std::string_view user_id);

// The entry after `current` in `list` (the first when `current` is the last or not found), or
// nothing for an empty list.
const BannerEntry* NextBanner(const std::vector<BannerEntry>& list, std::string_view current);

// Paths on the content server.
inline constexpr std::string_view kBannerFileOrla =
    "/orla/Waymark/SoftwareUpdatePlus/wmk_banner_edit_g.txt";
inline constexpr std::string_view kBannerFileTarno =
    "/tarno/Waymark/SoftwareUpdatePlus/wmk_banner_edit_m.txt";
inline constexpr std::string_view kDefaultBannerPage =
    "/orla/Waymark/InstallInfoPlus/BanerH10.html";
inline constexpr int kFallbackBannerSeconds = 10000;

}  // namespace mapvale::controller
