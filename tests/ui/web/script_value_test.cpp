#include "ui/web/script_value.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include "ui/web/program_functions.h"
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

TEST(ScriptFunctions, ProgramListsKeepTheirOrderAndReadArgumentsInCallOrder) {
    std::vector<int> coord;
    UpdaterScriptHandlers updater_handlers;
    updater_handlers.set_coord = [&](int first, int second) { coord = {first, second}; };
    ScriptFunctions updater = UpdaterScriptFunctions(std::move(updater_handlers));
    EXPECT_EQ(updater.Names(), (QStringList{"ThemeDownload", "DownloadPicroute", "SetCoord",
                                            "PhotoDialogOpen", "__StartUpdate", "__StopUpdate"}));
    // The page called SetCoord(1, "2"): the handler list holds it last first.
    EXPECT_EQ(updater.Invoke(3, {ScriptValue(QStringLiteral("2")), ScriptValue(std::int64_t{1})}),
              1);
    EXPECT_EQ(coord, (std::vector<int>{1, 2}));
    EXPECT_EQ(updater.Invoke(3, {ScriptValue(std::int64_t{1})}), 0);  // one argument: ignored
    EXPECT_EQ(updater.Invoke(1, {}), 0);                              // no handler given

    std::vector<int> size;
    TrayScriptHandlers tray_handlers;
    tray_handlers.window_size = [&](const std::vector<int>& a) { size = a; };
    ScriptFunctions tray = TrayScriptFunctions(std::move(tray_handlers));
    EXPECT_EQ(tray.Names(), (QStringList{"__WindowSize", "__WindowClose", "__WindowExec"}));
    EXPECT_EQ(tray.Invoke(1, {ScriptValue(std::int64_t{300}), ScriptValue(400.7)}), 1);
    EXPECT_EQ(size, (std::vector<int>{400, 300}));
}

}  // namespace
}  // namespace mapvale::ui
