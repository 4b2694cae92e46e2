#pragma once

#include <QTimer>

#include "controller/wizard_lines.h"
#include "ui/wizard_page.h"

class QLabel;

namespace mapvale::ui {

class CImageClock;
class CMovieView;
class CWeb;

// The wizard's progress page: what the job does now, the two bars of the progress movie, the
// remaining time on the clock, the brand's banner page, help and the notice board. It reads the
// controller's state on its own timer and sends the movie only values that changed.
class CDlgEasy3 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kStatus = 1009;
    static constexpr int kBanner = 1010;
    static constexpr int kClock = 1011;
    static constexpr int kHelp = 1012;
    static constexpr int kNotice = 1013;
    static constexpr int kRefreshMs = 300;

    explicit CDlgEasy3(controller::CMainFrame& frame);

    // Reads the controller's state now (the timer does it every kRefreshMs).
    void Refresh();

    CMovieView* ProgressMovie() const { return movie_; }
    // The setSizeProBar values sent so far, in order.
    const std::vector<int>& SentBars() const { return sent_; }

protected:
    void OnCommand(int id) override;

private:
    void SendBar(int value, int& last);

    CMovieView* movie_;
    CWeb* banner_;
    CImageClock* clock_;
    QLabel* status_;
    QTimer timer_;
    int last_download_bar_ = -1;
    int last_install_bar_ = -1;
    std::vector<int> sent_;
};

}  // namespace mapvale::ui
