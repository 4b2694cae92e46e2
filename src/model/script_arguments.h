#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/script_functions.h"

namespace mapvale {

// The value as a 32-bit integer the way handlers read numbers: integers and doubles truncated
// into range, numeric texts (blanks around them allowed) parsed, truth values 1 and 0, anything
// else `fallback`.
int ScriptInt(const ScriptValue& value, int fallback = 0);

// The value as text: texts as they are, numbers and truth values spelled, nothing empty.
std::string ScriptText(const ScriptValue& value);

// A page's call in the page's own order over the handler's last-first list: a call with fewer
// arguments reads the missing ones as nothing (empty text, 0); extra ones are never read.
class ScriptArguments {
public:
    explicit ScriptArguments(const std::vector<ScriptValue>& last_first) : values_(last_first) {}

    // The `index`-th argument the page passed (0 = first).
    const ScriptValue& operator[](std::size_t index) const;
    // The argument as a 16-bit integer, the width the handlers' flags have.
    short Short(std::size_t index) const { return static_cast<short>(ScriptInt((*this)[index])); }

private:
    const std::vector<ScriptValue>& values_;
};

}  // namespace mapvale
