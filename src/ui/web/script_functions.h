#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "ui/web/script_value.h"

namespace mapvale::ui {

// The functions pages may call on window.external, in registration order (a program fills the
// list once at start: the updater its six, the tray agent its three). Names compare exactly,
// with case. A handler gets the call's arguments last first; its result is not passed back to
// the page.
class ScriptFunctions {
public:
    using Handler = std::function<int(const std::vector<ScriptValue>& arguments)>;

    // Adds `name`; a name already present keeps its first handler. Returns its 1-based id.
    int Add(const QString& name, Handler handler);

    // 1-based position of `name`, or -1.
    int IdOf(const QString& name) const;
    QStringList Names() const;
    int size() const { return static_cast<int>(functions_.size()); }

    // Runs the handler of `id`; an id of 0 or past the end does nothing. Returns the handler's
    // result, 0 when none ran.
    int Invoke(int id, const std::vector<ScriptValue>& arguments) const;

private:
    struct Function {
        QString name;
        Handler handler;
    };
    std::vector<Function> functions_;
};

}  // namespace mapvale::ui
