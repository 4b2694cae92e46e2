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

int ScriptInt(const ScriptValue& value, int fallback) {
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<int>(std::clamp<double>(static_cast<double>(*integer), kLow, kHigh));
    }
    if (const auto* number = std::get_if<double>(&value)) {
        return std::isnan(*number) ? fallback
                                   : static_cast<int>(std::clamp(std::trunc(*number), kLow, kHigh));
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        bool ok = false;
        const int parsed = QString::fromStdString(*text).trimmed().toInt(&ok);
        return ok ? parsed : fallback;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? 1 : 0;
    }
    return fallback;
}

QString ScriptText(const ScriptValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return QString::fromStdString(*text);
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return QString::number(*integer);
    }
    if (const auto* number = std::get_if<double>(&value)) {
        return QString::number(*number, 'g', 17);
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? QStringLiteral("true") : QStringLiteral("false");
    }
    return {};
}

}  // namespace mapvale::ui
