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
    // A window of the system's own frame: the user moves and closes it as any other.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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

void CCNotidlg::OnCommand(int id) {
    if (id == 2) {
        reject();
    }
}

}  // namespace mapvale::ui
