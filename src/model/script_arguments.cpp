#include "model/script_arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mapvale {

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
        const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        const char* first = text->data();
        const char* last = first + text->size();
        while (first != last && blank(*first)) {
            ++first;
        }
        while (last != first && blank(last[-1])) {
            --last;
        }
        if (first != last && *first == '+') {
            ++first;
        }
        int parsed = 0;
        const auto [end, error] = std::from_chars(first, last, parsed);
        return first != last && error == std::errc() && end == last ? parsed : fallback;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? 1 : 0;
    }
    return fallback;
}

std::string ScriptText(const ScriptValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*integer);
    }
    if (const auto* number = std::get_if<double>(&value)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", *number);
        return buffer;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "true" : "false";
    }
    return {};
}

const ScriptValue& ScriptArguments::operator[](std::size_t index) const {
    static const ScriptValue kNothing;
    return index < values_.size() ? values_[values_.size() - 1 - index] : kNothing;
}

}  // namespace mapvale
