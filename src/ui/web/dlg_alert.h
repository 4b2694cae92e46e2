#pragma once

#include <QString>

#include "ui/skin/skin_dialog.h"

namespace mapvale::ui {

class CWeb;

// A small page in a framed window whose client area is exactly 296 x 296, filled by its browser
// (1027);
// the address is given at creation and loaded at once. Icon 128 is its big and small icon.
class CDlgAlert : public CSkinDialog {
    Q_OBJECT

public:
    CDlgAlert(QWidget* parent, const QString& address);

    CWeb* browser() const { return browser_; }

protected:
    // Escape and the window's close box end the window (rejected).
    void OnCommand(int id) override;

private:
    CWeb* browser_;
};

}  // namespace mapvale::ui
