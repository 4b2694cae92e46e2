#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "model/script_functions.h"
#include "tray/qt/notice_window.h"
#include "ui/skin/skin_dialog.h"
#include "ui/web/web_environment.h"

namespace mapvale::ui {
class CWeb;
}

namespace mapvale::tray {

// The notice window: a frameless window whose one control is a browser (1002). It stays hidden
// while its page loads and shows once a page other than about:blank is there. The page gets
// three functions: "__WindowSize"(width, height) resizes it, "__WindowClose" deletes it and
// "__WindowExec" asks the agent to start the updater.
//
// Only the page's own server is trusted with the functions.
class CAniWindow final : public ui::CSkinDialog {
    Q_OBJECT

public:
    explicit CAniWindow(NoticeRequest request, QWidget* parent = nullptr);
    ~CAniWindow() override;

    // Loads `address` in the browser (nothing for an empty one).
    void Navigate(const QString& address);
    ui::CWeb* browser() const { return browser_; }

    // The page's functions.
    void OnWindowSize(int width, int height);
    void OnWindowClose();
    void OnWindowExec();

private:
    void OnLoadFinished();

    NoticeRequest request_;
    ScriptFunctionList functions_;
    ui::WebEnvironment environment_;
    ui::CWeb* browser_ = nullptr;
    bool closing_ = false;
};

// A new notice window for `request`, loading its page; for the module's entry and the tests.
CAniWindow* MakeNoticeWindow(const NoticeRequest& request);

}  // namespace mapvale::tray
