#include "ui/web/program_functions.h"

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

ScriptFunctions::Handler IntegerHandler(
    std::function<void(const std::vector<int>& arguments)> handler) {
    return [handler = std::move(handler)](const std::vector<ScriptValue>& arguments) {
        if (!handler) {
            return 0;
        }
        handler(InCallOrder(arguments));
        return 1;
    };
}

}  // namespace

ScriptFunctions UpdaterScriptFunctions(UpdaterScriptHandlers handlers) {
    ScriptFunctions functions;
    functions.Add(QStringLiteral("ThemeDownload"), std::move(handlers.theme_download));
    functions.Add(QStringLiteral("DownloadPicroute"), std::move(handlers.download_picroute));
    functions.Add(QStringLiteral("SetCoord"), [set_coord = std::move(handlers.set_coord)](
                                                  const std::vector<ScriptValue>& arguments) {
        if (!set_coord || arguments.size() < 2) {
            return 0;
        }
        const std::vector<int> values = InCallOrder(arguments);
        set_coord(values[0], values[1]);
        return 1;
    });
    functions.Add(QStringLiteral("PhotoDialogOpen"),
                  [open = std::move(handlers.photo_dialog_open)](const std::vector<ScriptValue>&) {
                      if (!open) {
                          return 0;
                      }
                      open();
                      return 1;
                  });
    AddNoticeFunctions(functions);
    return functions;
}

ScriptFunctions TrayScriptFunctions(TrayScriptHandlers handlers) {
    ScriptFunctions functions;
    functions.Add(QStringLiteral("__WindowSize"), IntegerHandler(std::move(handlers.window_size)));
    functions.Add(QStringLiteral("__WindowClose"),
                  IntegerHandler(std::move(handlers.window_close)));
    functions.Add(QStringLiteral("__WindowExec"), IntegerHandler(std::move(handlers.window_exec)));
    return functions;
}

}  // namespace mapvale::ui
