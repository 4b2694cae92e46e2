#include "ui/web/dlg_alert.h"

#include <QIcon>

#include "ui/skin/skin_image.h"
#include "ui/web/web.h"

namespace mapvale::ui {

CDlgAlert::CDlgAlert(QWidget* parent, const QString& address)
    : CSkinDialog(parent), browser_(new CWeb(this)) {
    setObjectName(QStringLiteral("402"));
    setWindowIcon(QIcon(SkinImage(128)));
    browser_->setObjectName(QStringLiteral("1027"));
    browser_->setGeometry(0, 0, 296, 296);
    setFixedSize(296, 296);
    // A window of the system's own frame: the user moves and closes it as any other.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    browser_->Navigate(address);
}

void CDlgAlert::OnCommand(int id) {
    if (id == 2) {
        reject();
    }
}

}  // namespace mapvale::ui
