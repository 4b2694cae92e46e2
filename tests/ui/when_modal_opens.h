#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace mapvale::testing {

// Calls `act` once with the open modal window of type T, from inside the event loop that the
// window's exec() runs, so a test can answer a blocking dialog the way a user would. Keep the
// returned watcher until the blocking call has returned; dropping it stops the watch (a test that
// failed before the window opened leaves nothing behind).
template <typename T>
[[nodiscard]] std::unique_ptr<QTimer> WhenModalOpens(std::function<void(T*)> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(1);
    QTimer* raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, raw, [raw, act = std::move(act)] {
        if (T* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            raw->stop();
            act(window);
        }
    });
    timer->start();
    return timer;
}

}  // namespace mapvale::testing
