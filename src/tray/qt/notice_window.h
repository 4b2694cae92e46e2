#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace mapvale::tray {

// What a notice window is made with.
struct NoticeRequest {
    QString url;    // the page; nothing is loaded when empty
    QString title;  // the window's title
    // The page asked to start the updater ("__WindowExec").
    std::function<void()> exec;
};

// Makes a notice window: hidden until its page has loaded, deleted when its page closes it
// ("__WindowClose"). Null when no window can be made (the module is missing).
using NoticeWindowMaker = std::function<QWidget*(const NoticeRequest& request)>;

// The symbol the notice module exports: QWidget* (const NoticeRequest*).
inline constexpr char kNoticeMakerSymbol[] = "MapvaleMakeNoticeWindow";
// The module's file name, beside the program.
inline constexpr char kNoticeModuleName[] = "libMapvaleTrayNotice.so";

// A maker that loads the notice module at `module_path` on its first call (the web engine comes
// with it, so an agent that never shows a notice never maps the engine). A module that cannot be
// loaded gives no window and one warning per call.
NoticeWindowMaker ModuleNoticeWindowMaker(QString module_path);

}  // namespace mapvale::tray
