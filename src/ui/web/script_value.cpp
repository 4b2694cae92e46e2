#include "ui/web/script_value.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

#include "ui/web/text_cut.h"

namespace mapvale::ui {

namespace {

std::string CutText(const QString& text) {
    return (text.size() > kMaxScriptText ? CutAtCharacter(text, kMaxScriptText) : text)
        .toStdString();
}

}  // namespace

ScriptValue ToScriptValue(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Bool:
            return value.toBool();
        case QJsonValue::Double: {
            const double number = value.toDouble();
            // 2^63 itself does not fit; everything below it does.
            if (std::isfinite(number) && std::trunc(number) == number && number >= -0x1p63 &&
                number < 0x1p63) {
                return static_cast<std::int64_t>(number);
            }
            return number;
        }
        case QJsonValue::String:
            return CutText(value.toString());
        case QJsonValue::Array:
            return CutText(
                QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)));
        case QJsonValue::Object:
            return CutText(
                QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)));
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            break;
    }
    return std::monostate{};
}

std::vector<ScriptValue> ToScriptArguments(const QJsonArray& arguments) {
    std::vector<ScriptValue> values;
    values.reserve(static_cast<std::size_t>(arguments.size()));
    for (auto it = arguments.end(); it != arguments.begin();) {
        --it;
        values.push_back(ToScriptValue(*it));
    }
    return values;
}

}  // namespace mapvale::ui
