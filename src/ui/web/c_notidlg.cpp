#include "ui/web/c_notidlg.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/web/web.h"

namespace mapvale::ui {

CCNotidlg::CCNotidlg(QWidget* parent, QString address)
    : CSkinDialog(parent), browser_(new CWeb(this)), address_(std::move(address)) {
    setObjectName(QStringLiteral("514"));
    browser_->setObjectName(QStringLiteral("1051"));
    browser_->setGeometry(0, 0, 900, 1200);
    resize(900, 800);
    SetDragArea(0);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void CCNotidlg::showEvent(QShowEvent* event) {
    CSkinDialog::showEvent(event);
    if (show_notice_ && !navigated_) {
        navigated_ = true;
        browser_->Navigate(address_);
    }
}

}  // namespace mapvale::ui
