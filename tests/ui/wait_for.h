#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace mapvale::testing {

// Runs the event loop until `done` holds or `ms` pass; the result is `done()` at the end. The
// bound only keeps a broken test from hanging: nothing is asserted about how long it took.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace mapvale::testing
