#include <gtest/gtest.h>

#include "tray/random_delay.h"
#include "tray/screen_placement.h"

namespace mapvale::tray {
namespace {

TEST(PlacementTest, DialogUnitsOfTheAgentsWindows) {
    EXPECT_EQ(DialogUnitsToPixels(147, 83), (PixelSize{220, 134}));   // the version popup
    EXPECT_EQ(DialogUnitsToPixels(162, 108), (PixelSize{243, 175}));  // the notice window
    EXPECT_EQ(DialogUnitsToPixels(0, 0), (PixelSize{0, 0}));
}

TEST(PlacementTest, ThePopupSitsAboveOrBesideThePanel) {
    const ScreenRect screen{0, 0, 1280, 1024};
    const PixelSize popup{220, 134};
    struct Case {
        const char* panel;
        ScreenRect available;
        ScreenPoint expected;
    };
    for (const Case& c : std::vector<Case>{
             // Bottom: the popup's bottom edge touches the panel's top.
             {"bottom", {0, 0, 1280, 984}, {1060, 850}},
             // Right: its right edge touches the panel's left.
             {"right", {0, 0, 1220, 1024}, {1000, 890}},
             // Top, left and none: the screen's bottom-right corner.
             {"top", {0, 30, 1280, 994}, {1060, 890}},
             {"left", {64, 0, 1216, 1024}, {1060, 890}},
             {"none", {0, 0, 1280, 1024}, {1060, 890}},
         }) {
        EXPECT_EQ(PopupPosition(screen, c.available, popup), c.expected) << c.panel;
    }
    EXPECT_EQ(PanelRect(screen, {0, 0, 1280, 984}), (ScreenRect{0, 984, 1280, 40}));
    EXPECT_EQ(PanelRect(screen, {0, 0, 1220, 1024}), (ScreenRect{1220, 0, 60, 1024}));
    EXPECT_EQ(PanelRect(screen, screen), ScreenRect{});
    // A second screen to the right of the first: the same places, moved with it.
    const ScreenRect second{1280, 0, 1920, 1080};
    EXPECT_EQ(PopupPosition(second, {1280, 0, 1920, 1040}, popup), (ScreenPoint{2980, 906}));
}

TEST(PlacementTest, TheNoticePageSizesItsWindow) {
    const ScreenRect screen{0, 0, 1280, 1024};
    const PixelSize previous = DialogUnitsToPixels(162, 108);
    EXPECT_EQ(NoticeWindowRect(screen, previous, 400, 300), (ScreenRect{397, 337, 400, 300}));
    EXPECT_EQ(NoticeWindowRect({1280, 0, 1920, 1080}, {400, 300}, 500, 500),
              (ScreenRect{1840, 240, 500, 500}));
    for (const auto& [width, height] :
         std::vector<std::pair<int, int>>{{0, 300}, {400, 0}, {0, 0}, {-1, 5}}) {
        EXPECT_FALSE(NoticeWindowRect(screen, previous, width, height));
    }
}

TEST(RandomDelayTest, TheDailyDelayStaysUnderFourHours) {
    EXPECT_EQ(DailyDelayMs(0), 0);
    EXPECT_EQ(DailyDelayMs(16384), 7'200'000);
    EXPECT_EQ(DailyDelayMs(32767), 14'399'560);
    // A draw as wide as glibc's rand() would mean years; it is kept to its low 15 bits.
    EXPECT_LT(DailyDelayMs(2147483647), kDailyDelaySpanMs);
    EXPECT_GE(DailyDelayMs(-1), 0);
    SeededRandomDraw draw(12345);
    for (int i = 0; i < 1000; ++i) {
        const int value = draw.Next();
        ASSERT_GE(value, 0);
        ASSERT_LT(value, RandomDraw::kDrawLimit);
    }
}

}  // namespace
}  // namespace mapvale::tray
