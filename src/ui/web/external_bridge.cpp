#include "ui/web/external_bridge.h"

#include "ui/web/script_value.h"

#include <QWebEnginePage>

#include "model/script_functions.h"

namespace mapvale::ui {

CExternalBridge::CExternalBridge(const WebEnvironment& environment, QWebEnginePage* page,
                                 QObject* parent)
    : QObject(parent), environment_(environment), page_(page) {}

void CExternalBridge::call(const QString& name, const QJsonArray& arguments) {
    if (environment_.functions == nullptr || page_ == nullptr ||
        !environment_.Trusts(page_->url())) {
        return;
    }
    const int id = environment_.functions->IdOf(name.toStdString());
    if (id < 1) {
        return;
    }
    // A handler may end the window that owns this bridge.
    const QPointer<CExternalBridge> alive(this);
    environment_.functions->Invoke(id, ToScriptArguments(arguments));
    if (alive) {
        emit called(name);
    }
}

}  // namespace mapvale::ui
