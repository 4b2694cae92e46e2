#include "ui/automation_server.h"

#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

#include "ui/automation_actions.h"
#include "ui/automation_inspector.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

// A request line longer than this is not a driver's: the connection is dropped.
constexpr qint64 kMaxRequestBytes = 1 << 20;

QJsonObject Failure(const QString& error) {
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

QJsonObject Success(QJsonObject fields = {}) {
    fields.insert(QStringLiteral("ok"), true);
    return fields;
}

}  // namespace

AutomationServer::AutomationServer(StateSource state, QObject* parent)
    : QObject(parent), state_(std::move(state)) {}

AutomationServer::~AutomationServer() = default;

bool AutomationServer::Listen(const QString& path) {
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        qWarning("automation: cannot listen at %s: %s", qPrintable(path),
                 qPrintable(server_->errorString()));
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &AutomationServer::OnConnection);
    return true;
}

std::unique_ptr<AutomationServer> AutomationServer::FromEnvironment(StateSource state) {
    const QString path = qEnvironmentVariable("MAPVALE_AUTOMATION");
    if (path.isEmpty()) {
        return nullptr;
    }
    auto server = std::make_unique<AutomationServer>(std::move(state));
    return server->Listen(path) ? std::move(server) : nullptr;
}

void AutomationServer::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    }
}

void AutomationServer::OnReadable(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        const QJsonValue seq = document.object().value(QStringLiteral("seq"));
        QPointer<QLocalSocket> target(socket);
        auto reply = [target, seq](QJsonObject answer) {
            if (!target || target->state() != QLocalSocket::ConnectedState) {
                return;
            }
            if (!seq.isUndefined()) {
                answer.insert(QStringLiteral("seq"), seq);
            }
            target->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
            target->flush();
        };
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            reply(Failure(QStringLiteral("not a JSON object")));
            continue;
        }
        Handle(document.object(), reply);
    }
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
    }
}

void AutomationServer::Handle(const QJsonObject& request, std::function<void(QJsonObject)> reply) {
    const QString op = request.value(QStringLiteral("op")).toString();
    const QString window_name = request.value(QStringLiteral("window")).toString();
    if (op == QLatin1String("snapshot")) {
        reply(Success({{QStringLiteral("windows"), AutomationInspector::DescribeWindows()}}));
        return;
    }
    if (op == QLatin1String("state")) {
        reply(Success({{QStringLiteral("state"), state_ ? state_() : QJsonObject()}}));
        return;
    }
    QWidget* window = AutomationInspector::FindWindow(window_name);
    if (window == nullptr) {
        reply(Failure(QStringLiteral("no such window")));
        return;
    }
    if (op == QLatin1String("grab")) {
        const QString file = request.value(QStringLiteral("file")).toString();
        reply(AutomationActions::Grab(window, file) ? Success()
                                                    : Failure(QStringLiteral("no picture")));
        return;
    }
    const QString id = request.value(QStringLiteral("id")).toString();
    QWidget* control = AutomationInspector::FindControl(window, id);
    if (op == QLatin1String("script")) {
        auto* web = qobject_cast<CWeb*>(control);
        if (web == nullptr) {
            reply(Failure(QStringLiteral("not a browser")));
            return;
        }
        web->page()->runJavaScript(
            request.value(QStringLiteral("code")).toString(), [reply](const QVariant& result) {
                reply(Success({{QStringLiteral("result"), QJsonValue::fromVariant(result)}}));
            });
        return;
    }

    AutomationActions::Run run;
    if (QString refusal = AutomationActions::Prepare(op, request, window, control, run);
        !refusal.isEmpty()) {
        reply(Failure(refusal));
        return;
    }
    reply(Success());
    QTimer::singleShot(0, this, std::move(run));
}

}  // namespace mapvale::ui
