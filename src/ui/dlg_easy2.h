#pragma once

#include "ui/wizard_page.h"

class QLabel;

namespace mapvale::ui {

class CMovieView;
class CPictureEx;

// The wizard's summary page: what will be installed where, and a 30-second countdown movie
// whose end starts the job (page 3 when it started, back to the option page otherwise). Button 5
// goes to the option page instead.
class CDlgEasy2 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kChangeOptions = 5;
    static constexpr int kSummary = 1009;
    static constexpr int kAnimation = 1010;
    static constexpr const char* kCountdownMovie = "Info/Process02.html?tmStart=30";

    explicit CDlgEasy2(controller::CMainFrame& frame);

    void RefreshLists() override;
    CMovieView* Countdown() const { return countdown_; }

protected:
    void OnCommand(int id) override;

private:
    void OnCountdownEnd();

    CMovieView* countdown_;
    CPictureEx* animation_;
    QLabel* summary_;
    bool counted_down_ = false;
};

}  // namespace mapvale::ui
