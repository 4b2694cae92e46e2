// The console's side of the controller's front end: questions, the progress line, timers, and
// the programs it will not start.

#include <gtest/gtest.h>

#include <sstream>

#include "mapvale-cli/console.h"
#include "mapvale-cli/console_launcher.h"
#include "mapvale-cli/console_ui.h"
#include "mapvale-cli/frame_loop.h"
#include "mapvale-cli/progress_printer.h"
#include "model/messages.h"
#include "update/elevation.h"

namespace mapvale::cli {
namespace {

using controller::Answer;
using controller::Buttons;
using controller::Icon;
using controller::Owner;

class NoElevation final : public update::ElevationService {
public:
    bool MayWrite(const std::vector<std::string>&) override { return true; }
    bool RelaunchElevated(const platform::LaunchRequest&) override { return false; }
};

// A console whose input is `typed` and whose output is kept.
struct TestConsole {
    explicit TestConsole(std::string typed, bool person = true, bool terminal = false)
        : in(std::move(typed)), reader(in, person), console(out, reader, terminal) {}
    std::istringstream in;
    std::ostringstream out;
    StreamLineReader reader;
    Console console;
};

class ConsoleUiTest : public ::testing::Test {
protected:
    ConsoleUi MakeUi(TestConsole& console, const std::string& answers = "",
                     std::optional<Reply> all = std::nullopt) {
        std::string error;
        AnswerBook book = AnswerBook::Parse(answers, error).value();
        book.SetDefault(all);
        return ConsoleUi(console.console, loop_, std::move(book), ConsoleUiSettings{}, elevation_);
    }

    platform::MessageQueue queue_;
    FrameLoop loop_{queue_};
    NoElevation elevation_;
};

TEST_F(ConsoleUiTest, QuestionsAreAnsweredByTheScriptThenByAPerson) {
    TestConsole typed("what?\nn\n");
    ConsoleUi ui = MakeUi(typed, "재 설치 확인=yes");
    EXPECT_EQ(ui.MessageBox("\n최신 버전이 설치 되어 있습니다.\n", "재 설치 확인", Buttons::kYesNo,
                            Icon::kQuestion, Owner::kNone),
              Answer::kYes);
    // The person's unreadable answer is asked again.
    EXPECT_EQ(
        ui.MessageBox("계속할까요?", "", Buttons::kYesNoCancel, Icon::kQuestion, Owner::kNone),
        Answer::kNo);
    const std::string out = typed.out.str();
    EXPECT_NE(out.find("[재 설치 확인] 최신 버전이 설치 되어 있습니다.\n응답: 예\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("계속할까요?\n[예(y)/아니오(n)/취소(c)] [예(y)/아니오(n)/취소(c)] "),
              std::string::npos)
        << out;
}

TEST_F(ConsoleUiTest, WithoutAnyoneToAnswerTheQuestionChangesNothing) {
    TestConsole nobody("y\n", /*person=*/false);
    ConsoleUi ui = MakeUi(nobody);
    EXPECT_EQ(ui.Ask("포맷할까요?", "포맷 확인", Buttons::kYesNo), Answer::kNo);
    EXPECT_EQ(ui.Ask("이어서 할까요?", "", Buttons::kYesNoCancel), Answer::kCancel);
    // The input ended before a person answered.
    TestConsole ended("");
    ConsoleUi ui2 = MakeUi(ended);
    EXPECT_EQ(ui2.Ask("포맷할까요?", "", Buttons::kYesNo), Answer::kNo);
    // --yes answers every question; an OK box is only shown, and takes nothing.
    TestConsole yes("");
    ConsoleUi ui3 = MakeUi(yes, "no", Reply::kYes);
    EXPECT_EQ(ui3.MessageBox("지도 설치에 실패하였습니다.\n[복사 중 오류가 발생했습니다.]\n", "",
                             Buttons::kOk, Icon::kNone, Owner::kWizardScreen),
              Answer::kOk);
    EXPECT_EQ(ui3.Ask("이어서 할까요?", "", Buttons::kYesNoCancel), Answer::kNo);
    EXPECT_EQ(ui3.Ask("이어서 할까요?", "", Buttons::kYesNoCancel), Answer::kYes);
    EXPECT_EQ(yes.out.str().find("지도 설치에 실패하였습니다.\n[복사 중 오류가 발생했습니다.]\n"),
              0u);
}

TEST_F(ConsoleUiTest, OptionScreenChoiceOnlyWhileThatScreenExists) {
    TestConsole console("");
    ConsoleUi ui = MakeUi(console);
    ui.SetWizardChoice(true, false);
    EXPECT_EQ(ui.WizardFormatAndBackupChoice(), std::nullopt);
    ASSERT_TRUE(ui.CreateWizardScreen(22, std::nullopt));
    EXPECT_EQ(ui.WizardFormatAndBackupChoice(), std::make_pair(true, false));
    // Shown again: the new screen comes before the old one goes.
    ASSERT_TRUE(ui.CreateWizardScreen(22, 22));
    ui.DestroyWizardScreen(22);
    EXPECT_EQ(ui.WizardFormatAndBackupChoice(), std::make_pair(true, false));
    ASSERT_TRUE(ui.CreateWizardScreen(3, 22));
    ui.DestroyWizardScreen(22);
    EXPECT_EQ(ui.WizardFormatAndBackupChoice(), std::nullopt);
    EXPECT_FALSE(ui.CreateWizardScreen(5, std::nullopt));
}

TEST_F(ConsoleUiTest, PendingMessagesWaitForTheLoopWhileTheControllerIsBusy) {
    TestConsole console("", true, /*terminal=*/true);
    ConsoleUi ui = MakeUi(console);
    queue_.Post(kMsgPackageStepProgress, 1, 4);
    queue_.Post(kMsgDriveChange, 'E' + kDriveArrived, 0);
    ui.ProcessPendingMessages();
    EXPECT_EQ(queue_.Size(), 0u);
    EXPECT_NE(console.out.str().find("단말 정보를 확인하는 중 1/4"), std::string::npos);
    // The loop hands them on later, in order.
    EXPECT_EQ(loop_.Next(std::chrono::milliseconds(0))->message, kMsgPackageStepProgress);
    EXPECT_EQ(loop_.Next(std::chrono::milliseconds(0))->message, kMsgDriveChange);
    EXPECT_EQ(loop_.Next(std::chrono::milliseconds(0)), std::nullopt);
}

TEST(ConsoleTest, ProgressLineIsRewrittenOnATerminalAndEndedBeforeAMessage) {
    std::istringstream in;
    StreamLineReader reader(in, false);
    std::ostringstream out;
    Console console(out, reader, /*terminal_output=*/true);
    ProgressPrinter printer(console);
    printer.Show({"백업 중 (1/4)", 10, "", ""}, 1000);
    printer.Show({"백업 중 (1/4)", 11, "", ""}, 1100);  // too soon
    printer.Show({"백업 중 (1/4)", 12, "", ""}, 1300);
    printer.Show({"백업 중 (1/4)", 12, "", ""}, 2000);  // unchanged
    console.Print("알림");
    EXPECT_EQ(out.str(), "\r[백업 중 (1/4)] 10%\033[K\r[백업 중 (1/4)] 12%\033[K\n알림\n");
}

TEST(ConsoleTest, PlainOutputGetsALineAtEachStageAndEveryFewSeconds) {
    std::istringstream in;
    StreamLineReader reader(in, false);
    std::ostringstream out;
    Console console(out, reader, /*terminal_output=*/false);
    ProgressPrinter printer(console);
    printer.Show({"백업 중 (1/4)", 10, "", ""}, 0);
    printer.Show({"백업 중 (1/4)", 50, "", ""}, 2999);
    printer.Show({"삭제 중 (2/4)", 0, "", ""}, 3000);
    printer.Show({"삭제 중 (2/4)", 40, "", ""}, 4000);
    printer.Show({"삭제 중 (2/4)", 80, "", ""}, 6000);
    printer.Finish();
    EXPECT_EQ(out.str(), "[백업 중 (1/4)] 10%\n[삭제 중 (2/4)] 0%\n[삭제 중 (2/4)] 80%\n");

    EXPECT_EQ(FormatStatusLine({"설치 중 (4/4)", 42, "복사:   3.2 MB/S", "남은 시간 3분"}),
              "[설치 중 (4/4)] 42% | 복사:   3.2 MB/S | 남은 시간 3분");
}

TEST(TimerTableTest, TimersFallDueOncePerLook) {
    TimerTable timers;
    EXPECT_EQ(timers.NextDue(), std::nullopt);
    timers.Set(1, 1000, 0);
    timers.Set(2, 300, 0);
    EXPECT_EQ(timers.NextDue(), 300);
    EXPECT_EQ(timers.TakeDue(299), std::vector<int>{});
    EXPECT_EQ(timers.TakeDue(5000), (std::vector<int>{1, 2}));  // late: once each
    EXPECT_EQ(timers.NextDue(), 5300);
    timers.Set(2, 0, 5000);  // a period of 0 would spin
    EXPECT_EQ(timers.NextDue(), 5010);
    timers.Kill(2);
    EXPECT_EQ(timers.NextDue(), 6000);
}

TEST(ConsoleLauncherTest, NeverStartsTheWindowedPrograms) {
    class Recording final : public platform::ProcessLauncher {
    public:
        std::unique_ptr<platform::Process> Start(const platform::LaunchRequest& request) override {
            started.push_back(request.program);
            return nullptr;
        }
        std::vector<std::string> started;
    };
    Recording inner;
    ConsoleLauncher launcher(inner);
    const auto start = [&](const char* program) {
        platform::LaunchRequest request;
        request.program = program;
        launcher.Start(request);
    };
    for (const char* program : {"/opt/mapvale/MapvaleTray", "/opt/mapvale/Mapvale",
                                "C:/Velmora/MAPVALETRAY.EXE", "Mapvale.exe"}) {
        start(program);
    }
    start("/opt/mapvale/ZipModule");
    start("/opt/mapvale/Mapvale-helper");
    EXPECT_EQ(inner.started,
              (std::vector<std::string>{"/opt/mapvale/ZipModule", "/opt/mapvale/Mapvale-helper"}));
}

}  // namespace
}  // namespace mapvale::cli
