#include "ui/virtual_display.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

namespace mapvale::ui::test {

VirtualDisplay::VirtualDisplay() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        error_ = QStringLiteral("Xvfb is not installed (package xvfb)");
        return;
    }
    // The server picks a free display and writes its number on the descriptor given.
    server_.start(program,
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    if (!server_.waitForStarted()) {
        error_ = QStringLiteral("Xvfb did not start");
        return;
    }
    const QDeadlineTimer deadline(30000);
    while (!server_.canReadLine() && !deadline.hasExpired() &&
           server_.state() == QProcess::Running) {
        server_.waitForReadyRead(100);
    }
    const QByteArray number = server_.readLine().trimmed();
    if (number.isEmpty()) {
        error_ = QStringLiteral("Xvfb gave no display");
        return;
    }
    name_ = QLatin1Char(':') + QString::fromLatin1(number);
}

VirtualDisplay::~VirtualDisplay() {
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(10000)) {
            server_.kill();
            server_.waitForFinished();
        }
    }
}

}  // namespace mapvale::ui::test
