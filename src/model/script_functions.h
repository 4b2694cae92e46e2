#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mapvale {

// One argument of a call from a web page's script: nothing, a number, a truth value or text.
using ScriptValue = std::variant<std::monostate, std::int64_t, double, bool, std::string>;

// What runs when a page calls a function: the arguments as the page passed them, last script
// argument first; the integer it returns is not passed back to the page.
using ScriptHandler = std::function<int(const std::vector<ScriptValue>& arguments)>;

// A function that embedded web pages may call by name.
struct stIDispatchFunc {
    std::string name;
    ScriptHandler handler;
};

// The application's ordered list of script-callable functions. A function's dispatch id is its
// 1-based position; names compare exactly, case included.
//
// Thread safety: filled at start-up, then read on the user-interface thread only.
class ScriptFunctionList {
public:
    // Adds a function at the end; a name already there keeps answering with its first handler.
    void Append(stIDispatchFunc function) { functions_.push_back(std::move(function)); }

    // The dispatch id of `name`, or -1 when no function has that name.
    int IdOf(std::string_view name) const {
        for (std::size_t i = 0; i < functions_.size(); ++i) {
            if (functions_[i].name == name) {
                return static_cast<int>(i + 1);
            }
        }
        return -1;
    }

    // Calls the function with dispatch id `id`; an id of 0 or past the end calls nothing.
    // True when a function was called.
    bool Invoke(int id, const std::vector<ScriptValue>& arguments) const {
        if (id <= 0 || static_cast<std::size_t>(id) > functions_.size()) {
            return false;
        }
        const stIDispatchFunc& function = functions_[static_cast<std::size_t>(id - 1)];
        if (function.handler) {
            function.handler(arguments);
        }
        return true;
    }

    const std::vector<stIDispatchFunc>& functions() const { return functions_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const stIDispatchFunc& function : functions_) {
            names.push_back(function.name);
        }
        return names;
    }

private:
    std::vector<stIDispatchFunc> functions_;
};

}  // namespace mapvale
