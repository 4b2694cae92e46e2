#pragma once

#include <string>
#include <string_view>

namespace mapvale::tray {

// Everything the agent asks of its front end: the tray icon, the version popup, the notice
// window, timers and the end of the program. The Qt program implements it with a tray icon and
// windows, the tests with plain code. Every call comes on the user-interface thread and returns
// at once; what the user does comes back through the agent's operations (StartUpdater,
// OnCommand, OnIconNotification) and messages.
class TrayUi {
public:
    virtual ~TrayUi() = default;

    // Adds the tray icon with `tip` and no picture yet. False when no tray host took it now; the
    // front end keeps it and shows it once a host appears, but the agent then sets no picture.
    virtual bool AddTrayIcon(std::string_view tip) = 0;
    // The icon's picture (resource 154).
    virtual void SetTrayIcon(int resource) = 0;
    virtual void RemoveTrayIcon() = 0;

    // Fills the version popup (made once and kept) with the notification mode, the type and its
    // text, restarts its 10 s timer, places it above the panel and slides it in. A popup already
    // shown is refilled and slides in again. Its OK button calls StartUpdater(type).
    virtual void ShowPopup(int type, std::string_view text, int mode) = 0;

    // Makes a new notice window (hidden until its page has loaded) titled `title` and loads
    // `url` in it. Its page's "__WindowExec" calls StartUpdater(kModeSystray).
    virtual void ShowNoticeWindow(const std::string& url, std::string_view title) = 0;

    // Timers by id; each tick arrives as a WM_TIMER message with the id as wParam, and a timer
    // ticks until it is killed. Setting a running timer again restarts it with the new period.
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;

    // The program ends: leave the main loop.
    virtual void Quit() = 0;
};

}  // namespace mapvale::tray
