#pragma once

#include <string_view>

namespace mapvale::tray {

// Types of the version popup. The card check uses 1 (needs an update), 2 (latest) and 5
// (maintenance).
inline constexpr int kPopupNeedsUpdate = 1;
inline constexpr int kPopupLatest = 2;
inline constexpr int kPopupNeedsUpdateToo = 3;
inline constexpr int kPopupServerTrouble = 4;
inline constexpr int kPopupMaintenance = 5;

// The popup's message for a type; empty for a type that has none. "\r\n" is one line break.
std::string_view PopupText(int type);

}  // namespace mapvale::tray
