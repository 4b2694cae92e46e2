#include "ui/web/web_panel.h"

#include "ui/web/web.h"

namespace mapvale::ui {

CWebPanel::CWebPanel(QWidget* parent, int browser_id, const QSize& browser_size, QString address)
    : CDialogRsz(parent), browser_(new CWeb(this)), address_(std::move(address)) {
    browser_->setObjectName(QString::number(browser_id));
    browser_->setGeometry(0, 0, browser_size.width(), browser_size.height());
    resize(browser_size);
    AddAnchor(browser_, kStretchX | kStretchY);
}

void CWebPanel::Activate() {
    if (isVisible()) {
        return;
    }
    browser_->Navigate(address_);
    show();
}

}  // namespace mapvale::ui
