#pragma once

#include <functional>

#include "model/script_functions.h"
#include "ui/web/script_value.h"

namespace mapvale::ui {

// What the updater's pages may call, by the updater's part that answers.
struct UpdaterScriptHandlers {
    ScriptHandler theme_download;     // map colour themes
    ScriptHandler download_picroute;  // photo-location content
    // The first and the second argument of the page's call, as integers (a call with fewer
    // than two arguments is ignored).
    std::function<void(int first, int second)> set_coord;
    std::function<void()> photo_dialog_open;
    // Learns the notice's answer (1 start, 2 stop) before the notice closes.
    std::function<void(int answer)> notice_answer;
};

// The updater's six functions in their order: ThemeDownload, DownloadPicroute, SetCoord,
// PhotoDialogOpen, __StartUpdate, __StopUpdate (the last two answer the open notice). A missing
// handler leaves its name registered and doing nothing.
ScriptFunctionList UpdaterScriptFunctions(UpdaterScriptHandlers handlers);

// The tray agent's three, in their order: __WindowSize, __WindowClose, __WindowExec; arguments
// are read as integers, first argument of the page's call first.
struct TrayScriptHandlers {
    std::function<void(const std::vector<int>& arguments)> window_size;
    std::function<void(const std::vector<int>& arguments)> window_close;
    std::function<void(const std::vector<int>& arguments)> window_exec;
};
ScriptFunctionList TrayScriptFunctions(TrayScriptHandlers handlers);

}  // namespace mapvale::ui
