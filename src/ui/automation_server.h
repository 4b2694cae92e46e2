#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace mapvale::ui {

// The seam end-to-end tests drive the program through: with MAPVALE_AUTOMATION naming a socket
// path, the program answers one JSON request per line there, on the user-interface thread (also
// while a modal window runs its own loop). Only the user who runs the program may connect.
//
// Requests ("op" and its fields; "seq", when given, comes back in the answer):
//   snapshot                        every window with its controls (and an open box's parts)
//   state                           the controller's screen, job, selection and percents
//   click  {window, id}             a mouse click at the control's centre
//   type   {window, id, text, replace}
//   key    {window, key}            "Return", "Escape", "Tab", "Space"
//   choose {window, id, index | text}
//   answer {window, button}         the button labelled so ("예", "확인", ...)
//   script {window, id, code}       JavaScript in a browser control; its result comes back
//   grab   {window, file}           a PNG of the window
// "window" is a class name or title; without it, the window on top. Actions answer before they
// run, since a click may open a box whose loop only ends when the driver answers it.
class AutomationServer : public QObject {
    Q_OBJECT

public:
    using StateSource = std::function<QJsonObject()>;

    explicit AutomationServer(StateSource state, QObject* parent = nullptr);
    ~AutomationServer() override;

    // Listens at `path`, taking it over from a program that ran before (a restart). False when
    // the path cannot be used.
    bool Listen(const QString& path);

    // A server at the path MAPVALE_AUTOMATION names; null when it is unset or unusable (a
    // warning then says why).
    static std::unique_ptr<AutomationServer> FromEnvironment(StateSource state);

    // Handles one request; the answer goes to `reply`, now or (for scripts) later.
    void Handle(const QJsonObject& request, std::function<void(QJsonObject)> reply);

private:
    void OnConnection();
    void OnReadable(QLocalSocket* socket);

    StateSource state_;
    QLocalServer* server_ = nullptr;
};

}  // namespace mapvale::ui
