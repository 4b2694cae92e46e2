#pragma once

#include <QWebEnginePage>

#include "ui/web/web_environment.h"

namespace mapvale::ui {

// The page of every hosted browser: a page's alert and confirm become the skin's message boxes
// (captioned with the hosting window's title), prompt answers null without asking, new windows
// go to the environment's opener, and window.close() is ignored (the program owns its windows).
class CWebPage : public QWebEnginePage {
    Q_OBJECT

public:
    CWebPage(const WebEnvironment& environment, QObject* parent);

protected:
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& value,
                          QString* result) override;

private:
    QWidget* Host() const;
    QString Caption() const;

    std::function<void(const QUrl&)> open_external_;
};

}  // namespace mapvale::ui
