#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>
#include "model/script_functions.h"

namespace mapvale::ui {

// A page's argument (mapvale::ScriptValue) from what the web channel delivered: nothing for
// undefined and null, an integer for a number without fraction that fits 64 bits, another number,
// a boolean or a text (UTF-8). Objects and arrays arrive as their JSON text.

// Texts longer than this many UTF-16 units are cut (a page may pass anything).
inline constexpr int kMaxScriptText = 64 * 1024;

ScriptValue ToScriptValue(const QJsonValue& value);
// The arguments as handlers get them: last argument first.
std::vector<ScriptValue> ToScriptArguments(const QJsonArray& arguments);

}  // namespace mapvale::ui
