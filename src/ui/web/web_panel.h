#pragma once

#include <QString>

#include "ui/skin/dialog_rsz.h"

namespace mapvale::ui {

class CWeb;

// A resizable panel of the main screen that is nothing but a browser filling it from its top left
// corner and following its size. Activate shows it and navigates to its page, unless it is
// already the shown panel (its page then stays as the user left it). Given a parent, the panel is
// a child widget of it (the parent places it).
class CWebPanel : public CDialogRsz {
    Q_OBJECT

public:
    CWebPanel(QWidget* parent, int browser_id, const QSize& browser_size, QString address);

    void Activate();
    CWeb* browser() const { return browser_; }
    const QString& address() const { return address_; }

private:
    CWeb* browser_;
    QString address_;
};

}  // namespace mapvale::ui
