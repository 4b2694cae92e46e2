#pragma once

#include "tray/qt/notice_window.h"
#include "tray/tray_services.h"

namespace mapvale::tray {

// Before the QApplication exists: the display platform (X11 where a desktop offers both X11 and
// Wayland: the popup's place and the tray need it) and what the web engine needs at load time
// (no sandbox as root, one GL context shared), without loading the engine itself; it comes with
// the first notice.
void PrepareTrayProcess();

// Runs the agent in the running QApplication: start-up (a second agent ends here), the
// never-shown window, the icon and the main loop. The result is the process's exit status.
int RunTrayAgent(TrayServices services, NoticeWindowMaker make_notice);

}  // namespace mapvale::tray
