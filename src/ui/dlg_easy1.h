#pragma once

#include "ui/wizard_page.h"

namespace mapvale::ui {

// The wizard's welcome page, shown while no card is attached: its movie, the caption buttons
// with the way to the main screen, and command 1001, which turns the tray agent's notices to
// their big mode.
class CDlgEasy1 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kBigNotices = 1001;

    explicit CDlgEasy1(controller::CMainFrame& frame);

protected:
    void OnCommand(int id) override;
};

}  // namespace mapvale::ui
