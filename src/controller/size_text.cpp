#include "controller/size_text.h"

#include <cstdio>

namespace mapvale::controller {

std::string SizeText(std::uint64_t bytes) {
    const std::uint64_t kb = bytes / 1024;
    if (kb == 0) {
        return "0";
    }
    static constexpr char kUnits[] = {'K', 'M', 'G', 'T'};
    double value = static_cast<double>(kb);
    std::size_t unit = 0;
    while (value > 1024 && unit + 1 < sizeof(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%0.1f %cB", value, kUnits[unit]);
    return text;
}

}  // namespace mapvale::controller
