#pragma once

#include <optional>

namespace mapvale::tray {

// Rectangles in pixels: x and y of the top-left corner, width and height.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Dialog units of the agent's windows in pixels, with the font the dialogs were laid out in:
// x * 6 / 4, y * 13 / 8 (integer division).
PixelSize DialogUnitsToPixels(int x_units, int y_units);

// The panel ("taskbar") of a screen: the widest strip that its available geometry leaves free
// along one edge; an empty rectangle when the available geometry is the whole screen. Both in
// desktop coordinates.
ScreenRect PanelRect(const ScreenRect& screen, const ScreenRect& available);

// Where the version popup of `popup` size goes: at the screen's bottom-right corner, lifted
// above a panel at the bottom and moved left of a panel at the right; a panel at the top or
// left, or none, leaves it in the corner. A panel is upright when it is at least as high as it
// is wide.
ScreenPoint PopupPosition(const ScreenRect& screen, const ScreenRect& available, PixelSize popup);

// Where the notice window goes when its page asks for `width` x `height` ("__WindowSize"): at
// (screen width / 2 - its previous width, screen height / 2 - its previous height) of the
// screen, with the new size, as the agent has always placed it. Nothing (the window stays as it
// is) when either size is 0 or negative.
std::optional<ScreenRect> NoticeWindowRect(const ScreenRect& screen, PixelSize previous, int width,
                                           int height);

}  // namespace mapvale::tray
