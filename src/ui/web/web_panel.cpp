#include "ui/web/web_panel.h"

#include "ui/web/web.h"

namespace mapvale::ui {

CWebPanel::CWebPanel(QWidget* parent, int browser_id, const QSize& browser_size, QString address)
    : CDialogRsz(parent), browser_(new CWeb(this)), address_(std::move(address)) {
    // A panel of the main screen sits inside it; without an owner it is a window of its own.
    if (parent != nullptr) {
        setWindowFlags(Qt::Widget);
    }
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
