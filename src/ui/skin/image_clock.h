#pragma once

#include <QWidget>
#include <array>

namespace mapvale::ui {

// The four digits (tens of minutes, minutes, tens of seconds, seconds) a minutes:seconds clock
// shows for `seconds`. Two minute digits cannot say 100 minutes, so longer times read 99:59 and
// negative ones 00:00.
std::array<int, 4> ClockDigits(long long seconds);

// The countdown clock of the wizard: four digits of the digit strip 329 over a background image
// (414 unless another of the same size is chosen).
class CImageClock : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDigitStrip = 329;
    static constexpr int kDefaultBackground = 414;
    // Where each digit's left edge sits; all at y 9.
    static constexpr std::array<int, 4> kDigitX{88, 103, 162, 177};
    static constexpr int kDigitY = 9;

    explicit CImageClock(QWidget* parent);

    void SetTime(long long seconds);
    long long Time() const { return seconds_; }
    // One of 414, 415, 416, 426, 427, 428; anything else is ignored.
    void SetBackground(int image);
    int Background() const { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    long long seconds_ = 0;
    int background_ = kDefaultBackground;
};

}  // namespace mapvale::ui
