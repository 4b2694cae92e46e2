#pragma once

#include <QPoint>
#include <QString>
#include <QTimer>
#include <QVariantAnimation>
#include <functional>

#include "ui/skin/skin_dialog.h"

namespace mapvale::tray {

// The version popup: a small skinned window above the panel's corner that tells what the card
// check found. It slides up into view from its bottom edge, stays 10 s and slides down out of
// view. Buttons: 1005 (small close, top right) hides it at once, 1006 (OK) asks the agent to
// start the updater with the popup's type as mode and leaves the popup to its timer, 1007
// (close) hides it. Made once and refilled for every report.
class VerChkWindow final : public ui::CSkinDialog {
    Q_OBJECT

public:
    static constexpr int kCloseSmallId = 1005;
    static constexpr int kOkId = 1006;
    static constexpr int kCloseId = 1007;
    // How long it stays after sliding in.
    static constexpr int kShowMs = 10'000;

    // `start_updater` is the agent's StartUpdater.
    explicit VerChkWindow(std::function<void(int mode)> start_updater, QWidget* parent = nullptr);
    ~VerChkWindow() override;

    // Takes the type, its text (server-independent, drawn as plain text; "\r\n" is one line
    // break) and the notification mode, restarts the 10 s timer, places the popup above the
    // panel and slides it in, also when it is shown already.
    void Fill(int type, const QString& text, int mode);

    int Type() const { return type_; }
    int Mode() const { return mode_; }
    const QString& Text() const { return text_; }
    // The place it slides to, and the rectangle its text is drawn in (its own coordinates).
    QPoint FinalPosition() const { return final_position_; }
    QRect TextRect() const;
    // The timer that hides it: running, and its interval.
    const QTimer& HideTimer() const { return hide_timer_; }
    bool Sliding() const { return slide_.state() == QAbstractAnimation::Running; }

    // How long sliding in and out takes (tests make them short).
    void SetSlideDurations(int in_ms, int out_ms);

protected:
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SlideOut();
    void Reveal(int rows);
    void OnSlideFinished();

    std::function<void(int mode)> start_updater_;
    int mode_ = 0;
    int type_ = 0;
    QString text_;
    QTimer hide_timer_;
    QVariantAnimation slide_;
    bool sliding_in_ = false;
    int slide_in_ms_ = 3000;
    int slide_out_ms_ = 1000;
    QPoint final_position_;
};

}  // namespace mapvale::tray
