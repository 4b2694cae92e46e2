#include "ui/skin/image_clock.h"

#include <QPainter>
#include <algorithm>

#include "ui/skin/skin_image.h"

namespace mapvale::ui {

namespace {
constexpr std::array<int, 6> kBackgrounds{414, 415, 416, 426, 427, 428};
constexpr long long kLastShown = 99 * 60 + 59;
}  // namespace

std::array<int, 4> ClockDigits(long long seconds) {
    const long long s = std::clamp(seconds, 0LL, kLastShown);
    return {static_cast<int>(s / 600), static_cast<int>((s / 60) % 10),
            static_cast<int>((s % 60) / 10), static_cast<int>(s % 10)};
}

CImageClock::CImageClock(QWidget* parent) : QWidget(parent) {
    const QPixmap background = SkinImage(kDefaultBackground);
    resize(background.isNull() ? QSize(280, 44) : background.size());
}

void CImageClock::SetTime(long long seconds) {
    if (seconds_ != seconds) {
        seconds_ = seconds;
        update();
    }
}

void CImageClock::SetBackground(int image) {
    if (std::find(kBackgrounds.begin(), kBackgrounds.end(), image) == kBackgrounds.end()) {
        return;
    }
    background_ = image;
    update();
}

void CImageClock::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, SkinImage(background_));
    const QPixmap strip = SkinImage(kDigitStrip);
    if (strip.isNull()) {
        return;
    }
    const int width = strip.width() / 10;
    const auto digits = ClockDigits(seconds_);
    for (size_t i = 0; i < digits.size(); ++i) {
        painter.drawPixmap(QPoint(kDigitX[i], kDigitY), strip,
                           QRect(digits[i] * width, 0, width, strip.height()));
    }
}

}  // namespace mapvale::ui
