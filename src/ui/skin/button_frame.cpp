#include "ui/skin/button_frame.h"

namespace mapvale::ui {

int ChooseButtonFrame(const ButtonLook& look, int frame_count) {
    const bool toggles = look.mode != ButtonMode::kPush;
    const bool down = toggles ? look.on : (look.pressed || look.tab_pressed);
    int frame = down ? 1 : (look.hover ? 2 : 0);
    if (toggles && look.tab_pressed) {
        frame = 1;
    }
    if (!look.enabled) {
        // Read in this order, a disabled four-frame check button keeps its on/off look; only a
        // push button turns to the disabled frame whatever it showed.
        if (frame_count == 5) {
            frame = look.on ? 4 : 3;
        }
        if (frame == 2) {
            frame = 0;
        }
        if (look.mode == ButtonMode::kPush) {
            frame = 3;
        }
    }
    // A short strip draws its first frame rather than nothing.
    if (frame < 0 || frame >= frame_count) {
        frame = 0;
    }
    return frame;
}

}  // namespace mapvale::ui
