#include "ui/skin/button_frame.h"

#include <gmock/gmock.h>

namespace mapvale::ui {
namespace {

ButtonLook Look(ButtonMode mode, bool on, bool pressed, bool hover, bool enabled) {
    ButtonLook look;
    look.mode = mode;
    look.on = on;
    look.pressed = pressed;
    look.hover = hover;
    look.enabled = enabled;
    return look;
}

struct FrameCase {
    ButtonMode mode;
    bool on, pressed, hover, enabled;
    int frames_4;
    int frames_5;
};

// Every mode against on, pressed, hover and enabled, in four- and five-frame strips.
TEST(ButtonFrame, TableOfModesAndStates) {
    using M = ButtonMode;
    const FrameCase cases[] = {
        // Push buttons look at the press, never at "on".
        {M::kPush, false, false, false, true, 0, 0},
        {M::kPush, false, false, true, true, 2, 2},
        {M::kPush, false, true, true, true, 1, 1},
        {M::kPush, false, true, false, true, 1, 1},
        {M::kPush, true, false, false, true, 0, 0},
        // A disabled push button always shows the disabled frame, even when on.
        {M::kPush, false, false, false, false, 3, 3},
        {M::kPush, true, false, false, false, 3, 3},
        {M::kPush, false, false, true, false, 3, 3},
        // Check and radio buttons look at "on", never at the press.
        {M::kCheck, false, false, false, true, 0, 0},
        {M::kCheck, false, true, false, true, 0, 0},
        {M::kCheck, false, false, true, true, 2, 2},
        {M::kCheck, true, false, true, true, 1, 1},
        {M::kRadio, true, false, false, true, 1, 1},
        {M::kRadio, false, false, true, true, 2, 2},
        // Disabled: a four-frame strip keeps the on/off look (hover dropped), a five-frame
        // strip has frames of its own for both.
        {M::kCheck, true, false, false, false, 1, 4},
        {M::kCheck, false, false, false, false, 0, 3},
        {M::kCheck, false, false, true, false, 0, 3},
        {M::kRadio, true, false, true, false, 1, 4},
        {M::kRadio, false, false, false, false, 0, 3},
    };
    for (const FrameCase& c : cases) {
        const ButtonLook look = Look(c.mode, c.on, c.pressed, c.hover, c.enabled);
        SCOPED_TRACE(::testing::Message()
                     << "mode " << static_cast<int>(c.mode) << " on " << c.on << " pressed "
                     << c.pressed << " hover " << c.hover << " enabled " << c.enabled);
        EXPECT_EQ(ChooseButtonFrame(look, 4), c.frames_4);
        EXPECT_EQ(ChooseButtonFrame(look, 5), c.frames_5);
    }
}

TEST(ButtonFrame, FramesBeyondTheStripFallBackToTheFirst) {
    EXPECT_EQ(ChooseButtonFrame(Look(ButtonMode::kPush, false, false, true, true), 2), 0);
    EXPECT_EQ(ChooseButtonFrame(Look(ButtonMode::kPush, false, true, false, true), 1), 0);
    EXPECT_EQ(ChooseButtonFrame(Look(ButtonMode::kPush, false, false, false, false), 3), 0);
    EXPECT_EQ(ChooseButtonFrame(Look(ButtonMode::kCheck, true, false, false, false), 1), 0);
    EXPECT_EQ(ChooseButtonFrame(Look(ButtonMode::kPush, false, false, false, true), 0), 0);
}

TEST(ButtonFrame, ASelectedTabDrawsPressed) {
    ButtonLook tab = Look(ButtonMode::kPush, false, false, false, true);
    tab.tab_pressed = true;
    EXPECT_EQ(ChooseButtonFrame(tab, 4), 1);
    tab.hover = true;
    EXPECT_EQ(ChooseButtonFrame(tab, 4), 1);
    tab.mode = ButtonMode::kCheck;
    EXPECT_EQ(ChooseButtonFrame(tab, 4), 1);
    // Disabled still wins: the tabs are disabled while a sign-in runs.
    tab.mode = ButtonMode::kPush;
    tab.enabled = false;
    EXPECT_EQ(ChooseButtonFrame(tab, 4), 3);
}

}  // namespace
}  // namespace mapvale::ui
