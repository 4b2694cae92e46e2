#include "ui/web/program_functions.h"

#include "model/script_arguments.h"
#include "ui/web/notice_dialog.h"

namespace mapvale::ui {

namespace {

// The call's arguments in the page's order, as integers.
std::vector<int> InCallOrder(const std::vector<ScriptValue>& last_first) {
    std::vector<int> values;
    values.reserve(last_first.size());
    for (auto it = last_first.rbegin(); it != last_first.rend(); ++it) {
        values.push_back(ScriptInt(*it));
    }
    return values;
}

ScriptHandler IntegerHandler(std::function<void(const std::vector<int>& arguments)> handler) {
    return [handler = std::move(handler)](const std::vector<ScriptValue>& arguments) {
        if (!handler) {
            return 0;
        }
        handler(InCallOrder(arguments));
        return 1;
    };
}

}  // namespace

ScriptFunctionList UpdaterScriptFunctions(UpdaterScriptHandlers handlers) {
    ScriptFunctionList functions;
    functions.Append({"ThemeDownload", std::move(handlers.theme_download)});
    functions.Append({"DownloadPicroute", std::move(handlers.download_picroute)});
    functions.Append({"SetCoord", [set_coord = std::move(handlers.set_coord)](
                                      const std::vector<ScriptValue>& arguments) {
                          if (!set_coord || arguments.size() < 2) {
                              return 0;
                          }
                          const std::vector<int> values = InCallOrder(arguments);
                          set_coord(values[0], values[1]);
                          return 1;
                      }});
    functions.Append({"PhotoDialogOpen", [open = std::move(handlers.photo_dialog_open)](
                                             const std::vector<ScriptValue>&) {
                          if (!open) {
                              return 0;
                          }
                          open();
                          return 1;
                      }});
    AddNoticeFunctions(functions, std::move(handlers.notice_answer));
    return functions;
}

ScriptFunctionList TrayScriptFunctions(TrayScriptHandlers handlers) {
    ScriptFunctionList functions;
    functions.Append({"__WindowSize", IntegerHandler(std::move(handlers.window_size))});
    functions.Append({"__WindowClose", IntegerHandler(std::move(handlers.window_close))});
    functions.Append({"__WindowExec", IntegerHandler(std::move(handlers.window_exec))});
    return functions;
}

}  // namespace mapvale::ui
