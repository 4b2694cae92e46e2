#pragma once

#include <string>
#include <string_view>

namespace mapvale::extras {

// Where the map-content server hands out colour themes.
inline constexpr std::string_view kThemePath = "/Scripts/Common/Service/ThemeDownload.aspx";

// The theme server's name for a device line: "ORLA" for line 1, "TARNO" for every other.
std::string_view ThemeKind(int device_line);
// What the unit reads its theme from: "ThemeFile.bin" on line 1, "TM_save.dat" on the others.
std::string_view ThemeFileName(int device_line);

// The theme's address on `host` (host[:port]): the query in the server's order, the values as
// the page gave them (the HTTP client encodes the address once).
std::string ThemeAddress(std::string_view host, std::string_view id_code, int device_line,
                         std::string_view scrambled_user, std::string_view gbn);

}  // namespace mapvale::extras
