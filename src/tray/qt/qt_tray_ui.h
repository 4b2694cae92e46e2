#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/message_target.h"
#include "tray/qt/notice_window.h"
#include "tray/tray_ui.h"

namespace mapvale::tray {

class CTrayIcon;
class VerChkWindow;

// The agent's front end in Qt: the tray icon, the version popup, notice windows and timers by
// id. What the user does and what the timers say reaches the agent as its messages (WM_TIMER
// with the id, the icon's notification, WM_COMMAND with the menu's command) through `deliver`,
// called on the user-interface thread from the main loop, never from inside one of the agent's
// calls; the popup's OK button and the notice page's "__WindowExec" call `start_updater`.
//
// Thread safety: the user-interface thread only.
class QtTrayUi final : public QObject, public TrayUi {
    Q_OBJECT

public:
    using Deliver = std::function<void(std::uint32_t message, platform::WParam w_param,
                                       platform::LParam l_param)>;

    struct Hooks {
        Deliver deliver;
        std::function<void(int mode)> start_updater;
        // Makes the notice windows (the module's maker in the program).
        NoticeWindowMaker make_notice;
        // Leaves the main loop; by default the application's, once the loop runs.
        std::function<void()> quit;
    };

    explicit QtTrayUi(Hooks hooks, QObject* parent = nullptr);
    ~QtTrayUi() override;

    bool AddTrayIcon(std::string_view tip) override;
    void SetTrayIcon(int resource) override;
    void RemoveTrayIcon() override;
    void ShowPopup(int type, std::string_view text, int mode) override;
    void ShowNoticeWindow(const std::string& url, std::string_view title) override;
    void SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    void Quit() override;

    // --- For the program's tests and pictures ---
    CTrayIcon& tray_icon() { return *icon_; }
    // Null until the first popup.
    VerChkWindow* popup() const { return popup_; }
    // The notice windows that still exist, oldest first.
    QList<QWidget*> notice_windows() const;
    // The running timers' periods by id.
    QHash<int, int> TimerPeriods() const;
    // Slide durations for the popup (made or to be made).
    void SetPopupSlideDurations(int in_ms, int out_ms);

private:
    void Send(std::uint32_t message, platform::WParam w_param, platform::LParam l_param);

    Hooks hooks_;
    std::unique_ptr<CTrayIcon> icon_;
    VerChkWindow* popup_ = nullptr;
    QList<QPointer<QWidget>> notices_;
    QHash<int, QTimer*> timers_;
    int slide_in_ms_ = 3000;
    int slide_out_ms_ = 1000;
};

}  // namespace mapvale::tray
