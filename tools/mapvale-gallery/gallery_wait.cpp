#include "gallery_wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWebEngineView>
#include <QWidget>

namespace mapvale::gallery {

void Settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

bool LoadAndSettle(QWebEngineView& view, const std::function<void()>& load) {
    bool finished = false;
    auto connection =
        QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool) { finished = true; });
    load();
    const bool ok = WaitUntil([&] { return finished; }, 20000);
    QObject::disconnect(connection);
    Settle(700);
    return ok;
}

void ShowLoaded(QWidget& window, int settle_ms) {
    int loading = 0;
    QList<QMetaObject::Connection> connections;
    for (QWebEngineView* view : window.findChildren<QWebEngineView*>()) {
        if (view->url().isEmpty()) {
            continue;  // given no page: stays as it is
        }
        ++loading;
        connections.append(
            QObject::connect(view, &QWebEngineView::loadFinished, [&](bool) { --loading; }));
    }
    window.show();
    WaitUntil([&] { return loading <= 0; }, 20000);
    for (const QMetaObject::Connection& connection : connections) {
        QObject::disconnect(connection);
    }
    Settle(settle_ms);
}

}  // namespace mapvale::gallery
