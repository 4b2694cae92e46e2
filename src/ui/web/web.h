#pragma once

#include <QPointer>
#include <QString>
#include <QWebEngineView>

#include "ui/web/web_environment.h"

class QWebChannel;

namespace mapvale::ui {

class CExternalBridge;

// The host of every browser and movie of the programs: no context menu, F5 and Ctrl+O/P/N (with
// any other modifiers) swallowed before the page sees them, the page behaviour of CWebPage, the
// shared profile, and (with `external`) window.external over the environment's functions.
class CWeb : public QWebEngineView {
    Q_OBJECT

public:
    explicit CWeb(QWidget* parent, const WebEnvironment& environment = CurrentWebEnvironment(),
                  bool external = true);
    ~CWeb() override;

    // Loads `address` (a URL as text; nothing for an empty or invalid one).
    void Navigate(const QString& address);

    // The bridge behind window.external; null without it.
    CExternalBridge* external() const { return external_; }

    // Whether a key press is one the host keeps from pages.
    static bool IsSwallowedKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    // The channel this page talks to the program over, made with the script that links the page
    // to it (injected at document creation).
    QWebChannel* Channel();
    // Adds a script that runs at document creation in the main frame's main world.
    void AddDocumentScript(const QString& name, const QString& source);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchFocusProxy();

    QWebChannel* channel_ = nullptr;
    CExternalBridge* external_ = nullptr;
    QPointer<QWidget> watched_;
};

}  // namespace mapvale::ui
