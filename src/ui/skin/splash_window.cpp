#include "ui/skin/splash_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "ui/skin/skin_image.h"

namespace mapvale::ui {

CSplashWnd::CSplashWnd()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      image_(SkinImage(kImage)) {
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(image_.isNull() ? QSize(1, 1) : image_.size());
}

QPointer<CSplashWnd> CSplashWnd::ShowOnce(int ms) {
    static bool shown = false;
    if (shown) {
        return nullptr;
    }
    shown = true;
    auto* splash = new CSplashWnd();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(), splash->size());
        place.moveCenter(screen->geometry().center());
        splash->move(place.topLeft());
    }
    splash->show();
    QTimer::singleShot(ms, splash, &QWidget::close);
    return splash;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter(this).drawPixmap(0, 0, image_);
}

}  // namespace mapvale::ui
