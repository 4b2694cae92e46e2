#pragma once

#include <QString>

#include "ui/skin/skin_dialog.h"

namespace mapvale::ui {

class CWeb;

// The notice board: a framed 900 x 800 window centred on the screen, its browser (1051) 900 x 1200
// from the top left corner (the page scrolls inside). It navigates when shown, and only when its
// creator set the show-notice flag.
class CCNotidlg : public CSkinDialog {
    Q_OBJECT

public:
    CCNotidlg(QWidget* parent, QString address);

    void SetShowNotice(bool show) { show_notice_ = show; }
    CWeb* browser() const { return browser_; }

protected:
    void showEvent(QShowEvent* event) override;

protected:
    // Escape and the window's close box end the window (rejected).
    void OnCommand(int id) override;

private:
    CWeb* browser_;
    QString address_;
    bool show_notice_ = false;
    bool navigated_ = false;
};

}  // namespace mapvale::ui
