#pragma once

#include <QObject>
#include <QString>

namespace mapvale::ui {

// The movie's way back to the program over the web channel.
class CMovieBridge : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // From the page (the UI thread, inside the channel's message handling).
    Q_INVOKABLE void fsCommand(const QString& command, const QString& arguments);

signals:
    void FSCommand(const QString& command, const QString& arguments);
};

}  // namespace mapvale::ui
