#pragma once

#include <QJsonArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/web/web_environment.h"

class QWebEnginePage;

namespace mapvale::ui {

// The object behind window.external on the web channel. Calls are answered only while the page
// shows a trusted address (the environment's rule): a page of any other origin reaches nothing.
class CExternalBridge : public QObject {
    Q_OBJECT

public:
    CExternalBridge(const WebEnvironment& environment, QWebEnginePage* page, QObject* parent);

    // From the page (the UI thread, inside the channel's message handling).
    Q_INVOKABLE void call(const QString& name, const QJsonArray& arguments);

signals:
    // After a handler ran (tests and owners follow along).
    void called(const QString& name);

private:
    WebEnvironment environment_;
    QPointer<QWebEnginePage> page_;
};

}  // namespace mapvale::ui
