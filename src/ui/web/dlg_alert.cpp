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
    SetDragArea(0);
    browser_->Navigate(address);
}

}  // namespace mapvale::ui
