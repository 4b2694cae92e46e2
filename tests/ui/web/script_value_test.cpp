#include "ui/web/script_value.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include "ui/web/script_functions.h"
#include "ui/web/text_cut.h"

namespace mapvale::ui {
namespace {

TEST(ScriptValue, NumbersBecomeIntegersOnlyWhenWholeAndInRange) {
    EXPECT_EQ(ToScriptValue(QJsonValue(3.0)), ScriptValue(std::int64_t{3}));
    EXPECT_EQ(ToScriptValue(QJsonValue(-0.5)), ScriptValue(-0.5));
    EXPECT_EQ(ToScriptValue(QJsonValue(1e300)), ScriptValue(1e300));
    EXPECT_EQ(ToScriptValue(QJsonValue(9223372036854775808.0)), ScriptValue(9223372036854775808.0));
    EXPECT_EQ(ScriptInt(ScriptValue(1e300)), 2147483647);
    EXPECT_EQ(ScriptInt(ScriptValue(QStringLiteral(" 42 "))), 42);
    EXPECT_EQ(ScriptInt(ScriptValue(QStringLiteral("4x")), -1), -1);
    EXPECT_EQ(ScriptText(ScriptValue(std::int64_t{-7})), "-7");
}

TEST(ScriptValue, TextsAreCutBetweenCharacters) {
    // "가" takes three bytes, "😀" four (two UTF-16 units).
    const QString text = QStringLiteral("a가😀b");
    EXPECT_EQ(CutToUtf8Bytes(text, 4), QStringLiteral("a가"));
    EXPECT_EQ(CutToUtf8Bytes(text, 7), QStringLiteral("a가"));
    EXPECT_EQ(CutToUtf8Bytes(text, 8), QStringLiteral("a가😀"));
    EXPECT_EQ(CutAtCharacter(text, 3), QStringLiteral("a가"));
    const QString long_text = QString(kMaxScriptText - 1, QLatin1Char('x')) + QStringLiteral("😀");
    EXPECT_EQ(std::get<QString>(ToScriptValue(QJsonValue(long_text))).size(), kMaxScriptText - 1);
}

TEST(ScriptFunctions, IdsArePositionsAndUnknownIdsDoNothing) {
    ScriptFunctions functions;
    int last = 0;
    EXPECT_EQ(functions.Add("ThemeDownload", [&](const auto& a) { return last = int(a.size()); }),
              1);
    EXPECT_EQ(functions.Add("SetCoord", [&](const auto&) { return last = 99; }), 2);
    EXPECT_EQ(functions.Add("ThemeDownload", nullptr), 1);  // the first handler stays
    EXPECT_EQ(functions.IdOf("themedownload"), -1);
    EXPECT_EQ(functions.Invoke(1, {ScriptValue{}, ScriptValue{true}}), 2);
    EXPECT_EQ(functions.Invoke(0, {}), 0);
    EXPECT_EQ(functions.Invoke(3, {}), 0);
    EXPECT_EQ(last, 2);
    EXPECT_EQ(functions.Names(), (QStringList{"ThemeDownload", "SetCoord"}));
}

}  // namespace
}  // namespace mapvale::ui
