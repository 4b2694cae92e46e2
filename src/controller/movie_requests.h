#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapvale::controller {

// The request strings the screens send to their movies, byte for byte as the movies expect them
// (three of them lack the blank before "returntype"; the movies' parser copes). Texts are put in
// as they are: nothing is escaped, so a text must not hold XML markup (the program's own texts
// never do).

// 1000 + percent for the download bar, 2000 + percent for the install bar.
std::string SetSizeProBarRequest(int value);
// Status text, percent (-1: no bar), speed text (may be empty).
std::string SetStateRequest(std::string_view text, int percent, std::string_view speed);
std::string SetRemainTimeRequest(std::string_view remaining);
std::string CallResizeRequest(int width);
// The pie of a camera-data package: one slice of the install size.
std::string PieDrawCameraRequest(std::int64_t install_size, int radius);
// The pie of a map package: map, user data and free space (one unit for all three).
std::string PieDrawMapRequest(std::int64_t map, std::int64_t user, std::int64_t free, int radius);

// Where the pie chart sits inside its content list: right of the first five columns, 10 pixels
// from the top, down to 10 pixels above the bottom of the list's client area.
struct PiePlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int radius = 0;

    friend bool operator==(const PiePlacement&, const PiePlacement&) = default;
};

// Half of the smaller of `free_width` and `height` - 10, less 16, at most 150; never below 0 (a
// list too small for a chart gets radius 0, which draws nothing).
int PieRadius(int free_width, int height);
// The pie's rectangle and radius in a list whose client area (without frame and scroll bars) is
// `list_width` x `list_height` and whose first five columns take `columns_width` pixels; the
// radius fits the rectangle. Negative sizes count as 0.
PiePlacement PlacePie(int list_width, int list_height, int columns_width);

}  // namespace mapvale::controller
