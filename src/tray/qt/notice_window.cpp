#include "tray/qt/notice_window.h"

#include <QLibrary>
#include <memory>

namespace mapvale::tray {

NoticeWindowMaker ModuleNoticeWindowMaker(QString module_path) {
    using MakeFunction = QWidget* (*)(const NoticeRequest*);
    // Shared by the maker's copies; the module stays loaded for the rest of the process (its
    // windows' code lives there).
    auto library = std::make_shared<QLibrary>(std::move(module_path));
    return [library](const NoticeRequest& request) -> QWidget* {
        auto make = reinterpret_cast<MakeFunction>(library->resolve(kNoticeMakerSymbol));
        if (make == nullptr) {
            qWarning("tray: no notice window: %s", qPrintable(library->errorString()));
            return nullptr;
        }
        return make(&request);
    };
}

}  // namespace mapvale::tray
