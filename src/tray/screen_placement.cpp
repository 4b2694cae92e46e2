#include "tray/screen_placement.h"

#include <cstdlib>

namespace mapvale::tray {

PixelSize DialogUnitsToPixels(int x_units, int y_units) {
    return {x_units * 6 / 4, y_units * 13 / 8};
}

ScreenRect PanelRect(const ScreenRect& screen, const ScreenRect& available) {
    const int top = available.y - screen.y;
    const int bottom = screen.bottom() - available.bottom();
    const int left = available.x - screen.x;
    const int right = screen.right() - available.right();
    ScreenRect panel;
    int widest = 0;
    if (bottom > widest) {
        widest = bottom;
        panel = {screen.x, available.bottom(), screen.width, bottom};
    }
    if (right > widest) {
        widest = right;
        panel = {available.right(), screen.y, right, screen.height};
    }
    if (top > widest) {
        widest = top;
        panel = {screen.x, screen.y, screen.width, top};
    }
    if (left > widest) {
        panel = {screen.x, screen.y, left, screen.height};
    }
    return panel;
}

ScreenPoint PopupPosition(const ScreenRect& screen, const ScreenRect& available, PixelSize popup) {
    // The arithmetic runs in the screen's own coordinates, as on a desktop of one screen.
    ScreenRect panel = PanelRect(screen, available);
    panel.x -= screen.x;
    panel.y -= screen.y;
    const int w = screen.width;
    const int h = screen.height;
    const bool upright = std::abs(panel.height) >= std::abs(panel.width);
    const int dx = panel.right() < w / 2 ? 0 : panel.width;
    const int dy = panel.y < h / 2 ? 0 : panel.height;
    const int x = w - popup.width - (upright ? std::abs(dx) : 0);
    const int y = h - popup.height - (upright ? 0 : std::abs(dy));
    return {screen.x + x, screen.y + y};
}

std::optional<ScreenRect> NoticeWindowRect(const ScreenRect& screen, PixelSize previous, int width,
                                           int height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    return ScreenRect{screen.x + screen.width / 2 - previous.width,
                      screen.y + screen.height / 2 - previous.height, width, height};
}

}  // namespace mapvale::tray
