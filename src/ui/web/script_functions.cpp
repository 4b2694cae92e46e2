#include "ui/web/script_functions.h"

namespace mapvale::ui {

int ScriptFunctions::Add(const QString& name, Handler handler) {
    if (const int id = IdOf(name); id > 0) {
        return id;
    }
    functions_.push_back(Function{name, std::move(handler)});
    return size();
}

int ScriptFunctions::IdOf(const QString& name) const {
    for (std::size_t i = 0; i < functions_.size(); ++i) {
        if (functions_[i].name == name) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

QStringList ScriptFunctions::Names() const {
    QStringList names;
    for (const Function& function : functions_) {
        names.append(function.name);
    }
    return names;
}

int ScriptFunctions::Invoke(int id, const std::vector<ScriptValue>& arguments) const {
    if (id < 1 || id > size()) {
        return 0;
    }
    const Function& function = functions_[static_cast<std::size_t>(id - 1)];
    return function.handler ? function.handler(arguments) : 0;
}

}  // namespace mapvale::ui
