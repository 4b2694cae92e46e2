#pragma once

// A driver of a program's automation socket, for tests: blocking, with deadlines, reconnecting
// when the program behind the path changed (a restart).

#include <QJsonArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace mapvale::testing {

class AutomationClient {
public:
    explicit AutomationClient(QString path) : path_(std::move(path)) {}

    // One request and its answer; nothing when no program answered within `timeout_ms`
    // (connecting included).
    std::optional<QJsonObject> Request(const QJsonObject& request, int timeout_ms = 30000);

    // The request's answer when it says ok, else nothing.
    std::optional<QJsonObject> Ok(const QJsonObject& request, int timeout_ms = 30000);

    // Polls snapshots until a visible window of class (or object name) `name` satisfies `check`
    // (any, when none), and returns it.
    std::optional<QJsonObject> WaitForWindow(
        const QString& name, int timeout_ms,
        const std::function<bool(const QJsonObject&)>& check = nullptr);
    // Polls the controller's state until `check` holds; the last state read.
    std::optional<QJsonObject> WaitForState(const std::function<bool(const QJsonObject&)>& check,
                                            int timeout_ms);

    // Polls until the request is accepted (its control exists, is shown and enabled).
    bool Do(const QJsonObject& request, int timeout_ms = 30000);

    // The control `id` of a window's description, or an empty object.
    static QJsonObject Control(const QJsonObject& window, const QString& id);

private:
    bool Connect(int timeout_ms);

    QString path_;
    std::unique_ptr<QLocalSocket> socket_;
    int seq_ = 0;
};

}  // namespace mapvale::testing
