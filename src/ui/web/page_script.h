#pragma once

#include <QJsonArray>
#include <QString>

class QWebEngineView;

namespace mapvale::ui {

// Calls the page's global function `name` with `arguments` (as JSON values: numbers stay numbers,
// texts stay texts), if the page has one; its result is dropped. 1 when the call was sent; 0
// without a loaded document or when `name` is not a plain script identifier (nothing of it is
// ever run as script text).
int CallPageScript(QWebEngineView* view, const QString& name, const QJsonArray& arguments = {});

// Whether `name` is a script identifier ("closeUI", "__StartUpdate", "$a"; not "a(1)", "a.b").
bool IsScriptIdentifier(const QString& name);

}  // namespace mapvale::ui
