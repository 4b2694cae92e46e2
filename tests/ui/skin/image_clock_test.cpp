#include "ui/skin/image_clock.h"

#include <gmock/gmock.h>

#include <QPainter>

#include "ui/skin/skin_image.h"
#include "ui/skin/skin_test_images.h"

namespace mapvale::ui {
namespace {

using ::testing::ElementsAre;

TEST(ClockDigits, MinutesAndSecondsWithinWhatTwoDigitsCanShow) {
    EXPECT_THAT(ClockDigits(0), ElementsAre(0, 0, 0, 0));
    EXPECT_THAT(ClockDigits(59), ElementsAre(0, 0, 5, 9));
    EXPECT_THAT(ClockDigits(600), ElementsAre(1, 0, 0, 0));
    EXPECT_THAT(ClockDigits(3599), ElementsAre(5, 9, 5, 9));
    EXPECT_THAT(ClockDigits(5999), ElementsAre(9, 9, 5, 9));
    // 100 minutes would need a tenth digit column of the strip.
    EXPECT_THAT(ClockDigits(6000), ElementsAre(9, 9, 5, 9));
    EXPECT_THAT(ClockDigits(1LL << 40), ElementsAre(9, 9, 5, 9));
    EXPECT_THAT(ClockDigits(-1), ElementsAre(0, 0, 0, 0));
}

// The clock as the test paints it: the background, then each digit of the strip at its place.
QImage ExpectedClock(QSize size, int background, std::array<int, 4> digits) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, SkinImage(background));
    const QPixmap strip = SkinImage(CImageClock::kDigitStrip);
    const int width = strip.width() / 10;
    for (size_t i = 0; i < 4; ++i) {
        painter.drawPixmap(QPoint(CImageClock::kDigitX[i], CImageClock::kDigitY), strip,
                           QRect(digits[i] * width, 0, width, strip.height()));
    }
    painter.end();
    return image;
}

TEST(ImageClock, DrawsTheDigitImagesAtTheirPlacesOverTheBackground) {
    ASSERT_FALSE(SkinImage(CImageClock::kDigitStrip).isNull());
    CImageClock clock(nullptr);
    EXPECT_EQ(clock.size(), SkinImage(CImageClock::kDefaultBackground).size());
    for (long long seconds : {0LL, 59LL, 600LL, 3599LL, 5999LL, 6000LL, -1LL}) {
        clock.SetTime(seconds);
        EXPECT_EQ(mapvale::testing::PaintedImage(clock),
                  ExpectedClock(clock.size(), 414, ClockDigits(seconds)))
            << seconds << " s";
    }
    // The digits differ between two times only at the digits' places.
    clock.SetTime(3599);
    const QImage late = mapvale::testing::PaintedImage(clock);
    clock.SetTime(0);
    const QImage early = mapvale::testing::PaintedImage(clock);
    EXPECT_EQ(late.copy(0, 0, CImageClock::kDigitX[0], clock.height()),
              early.copy(0, 0, CImageClock::kDigitX[0], clock.height()));
    EXPECT_NE(late, early);
}

TEST(ImageClock, TakesOnlyTheBackgroundsMadeForIt) {
    CImageClock clock(nullptr);
    clock.SetBackground(427);
    EXPECT_EQ(clock.Background(), 427);
    EXPECT_EQ(mapvale::testing::PaintedImage(clock),
              ExpectedClock(clock.size(), 427, ClockDigits(0)));
    clock.SetBackground(333);
    EXPECT_EQ(clock.Background(), 427);
}

}  // namespace
}  // namespace mapvale::ui
