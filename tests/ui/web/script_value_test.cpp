#include "ui/web/script_value.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include "model/script_functions.h"
#include "ui/web/program_functions.h"
#include "ui/web/text_cut.h"

namespace mapvale::ui {
namespace {

TEST(ScriptValue, NumbersBecomeIntegersOnlyWhenWholeAndInRange) {
    EXPECT_EQ(ToScriptValue(QJsonValue(3.0)), ScriptValue(std::int64_t{3}));
    EXPECT_EQ(ToScriptValue(QJsonValue(-0.5)), ScriptValue(-0.5));
    EXPECT_EQ(ToScriptValue(QJsonValue(1e300)), ScriptValue(1e300));
    EXPECT_EQ(ToScriptValue(QJsonValue(9223372036854775808.0)), ScriptValue(9223372036854775808.0));
}

TEST(ScriptValue, TextsAreCutBetweenCharacters) {
    // "가" takes three bytes, "😀" four (two UTF-16 units).
    const QString text = QStringLiteral("a가😀b");
    EXPECT_EQ(CutToUtf8Bytes(text, 4), QStringLiteral("a가"));
    EXPECT_EQ(CutToUtf8Bytes(text, 7), QStringLiteral("a가"));
    EXPECT_EQ(CutToUtf8Bytes(text, 8), QStringLiteral("a가😀"));
    EXPECT_EQ(CutAtCharacter(text, 3), QStringLiteral("a가"));
    const QString long_text = QString(kMaxScriptText - 1, QLatin1Char('x')) + QStringLiteral("😀");
    EXPECT_EQ(
        QString::fromStdString(std::get<std::string>(ToScriptValue(QJsonValue(long_text)))).size(),
        kMaxScriptText - 1);
}

TEST(ScriptFunctionList, ProgramListsKeepTheirOrderAndReadArgumentsInCallOrder) {
    std::vector<int> coord;
    UpdaterScriptHandlers updater_handlers;
    updater_handlers.set_coord = [&](int first, int second) { coord = {first, second}; };
    ScriptFunctionList updater = UpdaterScriptFunctions(std::move(updater_handlers));
    EXPECT_EQ(updater.Names(),
              (std::vector<std::string>{"ThemeDownload", "DownloadPicroute", "SetCoord",
                                        "PhotoDialogOpen", "__StartUpdate", "__StopUpdate"}));
    // The page called SetCoord(1, "2"): the handler list holds it last first.
    const auto& set_coord = updater.functions()[2].handler;
    EXPECT_EQ(set_coord({ScriptValue(std::string("2")), ScriptValue(std::int64_t{1})}), 1);
    EXPECT_EQ(coord, (std::vector<int>{1, 2}));
    EXPECT_EQ(set_coord({ScriptValue(std::int64_t{1})}), 0);  // one argument: ignored
    EXPECT_EQ(updater.functions()[0].handler, nullptr);       // no handler given
    // The notice's answers reach the program first and always say 1.
    std::vector<int> answers;
    UpdaterScriptHandlers noticed;
    noticed.notice_answer = [&](int answer) { answers.push_back(answer); };
    const ScriptFunctionList with_notice = UpdaterScriptFunctions(std::move(noticed));
    EXPECT_EQ(with_notice.functions()[4].handler({}), 1);
    EXPECT_EQ(with_notice.functions()[5].handler({}), 1);
    EXPECT_EQ(answers, (std::vector<int>{1, 2}));

    std::vector<int> size;
    TrayScriptHandlers tray_handlers;
    tray_handlers.window_size = [&](const std::vector<int>& a) { size = a; };
    ScriptFunctionList tray = TrayScriptFunctions(std::move(tray_handlers));
    EXPECT_EQ(tray.Names(),
              (std::vector<std::string>{"__WindowSize", "__WindowClose", "__WindowExec"}));
    EXPECT_TRUE(tray.Invoke(1, {ScriptValue(std::int64_t{300}), ScriptValue(400.7)}));
    EXPECT_EQ(size, (std::vector<int>{400, 300}));
}

}  // namespace
}  // namespace mapvale::ui
