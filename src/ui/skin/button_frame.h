#pragma once

namespace mapvale::ui {

// How an image button behaves: a push button commands, a check button toggles, a radio button
// switches itself on in its group.
enum class ButtonMode { kPush = 0, kCheck = 2, kRadio = 4 };

// What the button is showing right now.
struct ButtonLook {
    ButtonMode mode = ButtonMode::kPush;
    bool on = false;       // a check or radio button that is on
    bool pressed = false;  // mouse held down on it
    bool hover = false;    // mouse over it
    bool enabled = true;
    bool tab_pressed = false;  // one of the sign-in screen's brand tabs that is selected
};

// The frame of a strip of `frame_count` frames (0 normal, 1 pressed or on, 2 hover, 3 disabled,
// 4 disabled while on in five-frame strips) that shows `look`. Always a frame inside the strip.
int ChooseButtonFrame(const ButtonLook& look, int frame_count);

}  // namespace mapvale::ui
