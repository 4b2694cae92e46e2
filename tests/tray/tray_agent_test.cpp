#include "tray_fixture.h"

namespace mapvale::tray::test {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::seconds;

std::vector<std::vector<std::string>> Arguments(
    const std::vector<platform::LaunchRequest>& starts) {
    std::vector<std::vector<std::string>> arguments;
    for (const auto& start : starts) {
        arguments.push_back(start.arguments);
    }
    return arguments;
}

TEST_F(TrayTest, DoubleClickStartsTheUpdaterOnlyWhenItIsNotRunning) {
    Serve();
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    {
        auto updater = instances_.Publish("TSKN_Waymark+", [] {});
        ASSERT_TRUE(updater);
        agent.dialog->HandleMessage(kMsgTrayNotify, kTrayIconId, kWmLButtonDblClk);
        agent.dialog->OnCommand(kCommandStartUpdater);
        EXPECT_TRUE(launcher_.requests().empty());
    }
    // A right click or another icon starts nothing; the menu is the front end's.
    agent.dialog->HandleMessage(kMsgTrayNotify, kTrayIconId, kWmRButtonUp);
    agent.dialog->HandleMessage(kMsgTrayNotify, kTrayIconId + 1, kWmLButtonDblClk);
    EXPECT_TRUE(launcher_.requests().empty());

    agent.dialog->HandleMessage(kMsgTrayNotify, kTrayIconId, kWmLButtonDblClk);
    ASSERT_EQ(launcher_.requests().size(), 1u);
    EXPECT_EQ(launcher_.requests()[0].program, ProgramFolder() + "Mapvale");
    EXPECT_TRUE(launcher_.requests()[0].arguments.empty());
    EXPECT_TRUE(agent.dialog->updater_running());
    // Started once: until the updater-gone timer sees it end, nothing starts it again.
    agent.dialog->StartUpdater(1);
    EXPECT_EQ(launcher_.requests().size(), 1u);
    RunFor(agent, milliseconds(kUpdaterGonePeriodMs));
    EXPECT_FALSE(agent.dialog->updater_running());
    // The popup's OK button and the notice page start it with "-SYSTRAY".
    agent.dialog->StartUpdater(kPopupNeedsUpdate);
    EXPECT_EQ(Arguments(launcher_.requests()),
              (std::vector<std::vector<std::string>>{{}, {"-SYSTRAY"}}));
}

TEST_F(TrayTest, TimersWatchTheUpdaterAndKeepTheQuietPeriod) {
    Serve();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    EXPECT_EQ(agent.ui.timers.at(kTimerUpdaterAppeared).period, 10'000);
    EXPECT_EQ(agent.ui.timers.at(kTimerUpdaterGone).period, 1'000);
    EXPECT_EQ(agent.ui.timers.at(kTimerHour).period, 3'600'000);
    EXPECT_EQ(agent.ui.timers.at(kTimerDailyWork).period, 3'600'000);  // draw 8192 of 32768
    EXPECT_EQ(agent.ui.PopupTypes(), std::vector<int>{2});             // the card present at start

    // The updater the user started himself is seen by the 10 s timer, not earlier.
    auto updater = instances_.Publish("TSKN_Waymark+", [] {});
    RunFor(agent, milliseconds(9'999));
    EXPECT_FALSE(agent.dialog->updater_running());
    RunFor(agent, milliseconds(1));
    EXPECT_TRUE(agent.dialog->updater_running());
    EXPECT_TRUE(agent.dialog->updater_launched());
    Report(agent, 'G');  // while it runs, reports are ignored
    EXPECT_EQ(agent.ui.popups.size(), 1u);

    // It closes: the 1 s timer sees it; reports wait out 5 s more.
    updater.reset();
    RunFor(agent, milliseconds(1'000));
    EXPECT_FALSE(agent.dialog->updater_running());
    RunFor(agent, milliseconds(4'999));
    Report(agent, 'G');
    EXPECT_EQ(agent.ui.popups.size(), 1u);
    RunFor(agent, milliseconds(1));
    Report(agent, 'G');
    EXPECT_EQ(agent.ui.PopupTypes(), (std::vector<int>{2, 2}));
    // A removal shows nothing.
    Report(agent, 'G', false);
    EXPECT_EQ(agent.ui.popups.size(), 2u);
}

TEST_F(TrayTest, NoticeCodeIsStoredSilentlyFirstAndShownWhenItChanges) {
    Serve();
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    const auto stored = [&] {
        return store_.GetDword(platform::SettingsRoot::kUser,
                               "Software\\VELMORA\\MapvaleTray\\VerInfo", "TSKNVer");
    };
    // The daily work runs once, an hour in (the drawn delay), and its timer is gone.
    RunFor(agent, hours(1) - milliseconds(1));
    EXPECT_FALSE(stored());
    RunFor(agent, milliseconds(1));
    EXPECT_EQ(stored(), 1u);
    EXPECT_TRUE(agent.ui.notices.empty());
    EXPECT_EQ(agent.ui.timers.count(kTimerDailyWork), 0u);
    EXPECT_EQ(agent.dialog->self_update_result(), 0);  // the world's programs are current
    EXPECT_FALSE(agent.dialog->closed());

    // A day later (24 ticks of the hourly timer re-arm it) a new code shows the page.
    box_.Write("world/content/avn/Waymark/splash/WebShpashEvent_Code.txt", "#!#2#!#");
    RunFor(agent, hours(24));
    EXPECT_EQ(stored(), 2u);
    EXPECT_EQ(agent.ui.notices,
              std::vector<std::string>{server_->Url("/avn/Waymark/splash/index_plus.html") +
                                       " Orvin Dalmar Waymark+ 알림"});
    // The same code again: nothing. A broken code file neither shows nor resets anything.
    RunFor(agent, hours(24));
    box_.Write("world/content/avn/Waymark/splash/WebShpashEvent_Code.txt", "no code");
    RunFor(agent, hours(24));
    EXPECT_EQ(agent.ui.notices.size(), 1u);
    EXPECT_EQ(stored(), 2u);
    EXPECT_EQ(RequestsTo("/avn/Waymark/splash/WebShpashEvent_Code.txt", 4), 4u);
}

TEST_F(TrayTest, OfferedUpdateStartsExactlyOneNewAgentAndQuits) {
    MakeWorld(true);
    Serve();
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    RunFor(agent, hours(1));
    EXPECT_EQ(agent.dialog->self_update_result(), 1);
    EXPECT_TRUE(agent.dialog->closed());
    EXPECT_EQ(agent.ui.quits, 1);
    const auto starts = launcher_.StartsOf("MapvaleTray");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, ProgramFolder() + "MapvaleTray");
    EXPECT_EQ(starts[0].arguments, std::vector<std::string>{"-UPDATE"});
    EXPECT_TRUE(launcher_.StartsOf("Mapvale").empty());
    EXPECT_EQ(elevation_.asked().front(), ProgramFolder());
}

TEST_F(TrayTest, AProgramFolderTheUserCannotWriteSkipsTheSelfUpdate) {
    MakeWorld(true);
    Serve();
    update::test::FakeElevation read_only(false);
    auto services = Services();
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    agent.dialog.reset();
    services.elevation = &read_only;
    agent.dialog = std::make_unique<TSKN_CRozavIzivDlg>(agent.ui, agent.queue, services,
                                                        agent.app->restart_flag());
    agent.dialog->OnInitDialog();
    RunFor(agent, hours(1));
    EXPECT_EQ(agent.dialog->self_update_result(), 0);
    EXPECT_FALSE(agent.dialog->closed());
    EXPECT_TRUE(launcher_.requests().empty());
    // The notice check ran; the patch area was never asked.
    EXPECT_EQ(RequestsTo("/avn/Waymark/splash/WebShpashEvent_Code.txt", 1), 1u);
    EXPECT_EQ(RequestsTo("/avn/Waymark/SoftwareUpdate_X64/UpdateInfo.txt"), 0u);
}

TEST_F(TrayTest, APackageManagedProgramFolderSkipsTheDailySelfUpdate) {
    MakeWorld(true);
    Serve();
    box_.Write("program/Info/package-managed", "");
    // Writable (as root): only the mark keeps the agent from updating the package's files.
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    RunFor(agent, hours(1));
    EXPECT_EQ(agent.dialog->self_update_result(), 0);
    EXPECT_FALSE(agent.dialog->closed());
    EXPECT_TRUE(launcher_.StartsOf("MapvaleTray").empty());
    EXPECT_EQ(RequestsTo("/avn/Waymark/splash/WebShpashEvent_Code.txt", 1), 1u);
    EXPECT_EQ(RequestsTo("/avn/Waymark/SoftwareUpdate_X64/UpdateInfo.txt"), 0u);
}

TEST_F(TrayTest, ExitRemovesTheIconAndStopsEverything) {
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    EXPECT_TRUE(agent.dialog->drive_watcher().IsRunning());
    agent.dialog->HandleMessage(kWmCommand, kCommandExit, 0);
    EXPECT_TRUE(agent.dialog->closed());
    EXPECT_EQ(agent.ui.quits, 1);
    EXPECT_FALSE(agent.ui.tip());
    EXPECT_TRUE(agent.ui.timers.empty());
    EXPECT_FALSE(agent.dialog->drive_watcher().IsRunning());
    EXPECT_FALSE(instances_.Exists(std::string(kTrayName)));
    // Nothing after the end: a late close request or command does nothing.
    agent.dialog->HandleMessage(kWmClose, 0, 0);
    agent.dialog->OnCommand(kCommandStartUpdater);
    EXPECT_EQ(agent.ui.quits, 1);
    EXPECT_TRUE(launcher_.requests().empty());
}

}  // namespace
}  // namespace mapvale::tray::test
