#include "ui/automation_client.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QThread>

namespace mapvale::testing {

bool AutomationClient::Connect(int timeout_ms) {
    if (socket_ && socket_->state() == QLocalSocket::ConnectedState) {
        return true;
    }
    const QDeadlineTimer deadline(timeout_ms);
    while (true) {
        socket_ = std::make_unique<QLocalSocket>();
        socket_->connectToServer(path_);
        if (socket_->waitForConnected(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)))) {
            return true;
        }
        if (deadline.hasExpired()) {
            socket_.reset();
            return false;
        }
        // Nobody listens yet (the program starts, or restarts): ask again shortly.
        QThread::msleep(50);
    }
}

std::optional<QJsonObject> AutomationClient::Request(const QJsonObject& request, int timeout_ms) {
    const QDeadlineTimer deadline(timeout_ms);
    if (!Connect(timeout_ms)) {
        return std::nullopt;
    }
    QJsonObject sent = request;
    const int seq = ++seq_;
    sent.insert(QStringLiteral("seq"), seq);
    socket_->write(QJsonDocument(sent).toJson(QJsonDocument::Compact) + '\n');
    if (!socket_->waitForBytesWritten(
            static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)))) {
        socket_.reset();
        return std::nullopt;
    }
    while (!deadline.hasExpired()) {
        while (socket_->canReadLine()) {
            const QJsonObject answer = QJsonDocument::fromJson(socket_->readLine()).object();
            if (answer.value(QStringLiteral("seq")).toInt() == seq) {
                return answer;
            }
        }
        if (socket_->state() != QLocalSocket::ConnectedState) {
            socket_.reset();  // the program ended: the next request finds its successor
            return std::nullopt;
        }
        socket_->waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)));
    }
    return std::nullopt;
}

std::optional<QJsonObject> AutomationClient::Ok(const QJsonObject& request, int timeout_ms) {
    std::optional<QJsonObject> answer = Request(request, timeout_ms);
    if (answer && answer->value(QStringLiteral("ok")).toBool()) {
        return answer;
    }
    return std::nullopt;
}

std::optional<QJsonObject> AutomationClient::WaitForWindow(
    const QString& name, int timeout_ms, const std::function<bool(const QJsonObject&)>& check) {
    const QDeadlineTimer deadline(timeout_ms);
    while (!deadline.hasExpired()) {
        const int left = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
        if (const auto answer = Ok({{QStringLiteral("op"), QStringLiteral("snapshot")}}, left)) {
            for (const QJsonValue& value : answer->value(QStringLiteral("windows")).toArray()) {
                const QJsonObject window = value.toObject();
                if ((window.value(QStringLiteral("class")).toString() == name ||
                     window.value(QStringLiteral("name")).toString() == name) &&
                    window.value(QStringLiteral("visible")).toBool() && (!check || check(window))) {
                    return window;
                }
            }
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

std::optional<QJsonObject> AutomationClient::WaitForState(
    const std::function<bool(const QJsonObject&)>& check, int timeout_ms) {
    const QDeadlineTimer deadline(timeout_ms);
    std::optional<QJsonObject> last;
    while (!deadline.hasExpired()) {
        const int left = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
        if (const auto answer = Ok({{QStringLiteral("op"), QStringLiteral("state")}}, left)) {
            last = answer->value(QStringLiteral("state")).toObject();
            if (check(*last)) {
                return last;
            }
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

bool AutomationClient::Do(const QJsonObject& request, int timeout_ms) {
    const QDeadlineTimer deadline(timeout_ms);
    while (!deadline.hasExpired()) {
        const int left = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
        if (Ok(request, left)) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

QJsonObject AutomationClient::Control(const QJsonObject& window, const QString& id) {
    for (const QJsonValue& value : window.value(QStringLiteral("controls")).toArray()) {
        if (value.toObject().value(QStringLiteral("id")).toString() == id) {
            return value.toObject();
        }
    }
    return {};
}

}  // namespace mapvale::testing
