#include "tray_fixture.h"

namespace mapvale::tray::test {
namespace {

TEST(TraySwitchTest, ReadsTheFirstArgumentOrTheFrameworksFlags) {
    EXPECT_EQ(ReadTraySwitch({}), TraySwitch::kNormal);
    EXPECT_EQ(ReadTraySwitch({"-UPDATE"}), TraySwitch::kReplace);
    EXPECT_EQ(ReadTraySwitch({"-update"}), TraySwitch::kNormal);
    EXPECT_EQ(ReadTraySwitch({"x", "-UPDATE"}), TraySwitch::kNormal);
    EXPECT_EQ(ReadTraySwitch({"/Embedding"}), TraySwitch::kNormal);
    EXPECT_EQ(ReadTraySwitch({"-Automation"}), TraySwitch::kNormal);
    EXPECT_EQ(ReadTraySwitch({"/RegServer"}), TraySwitch::kRegister);
    EXPECT_EQ(ReadTraySwitch({"x", "-register"}), TraySwitch::kRegister);
    EXPECT_EQ(ReadTraySwitch({"/UNREGSERVER"}), TraySwitch::kUnregister);
    EXPECT_EQ(ReadTraySwitch({"-Unregister"}), TraySwitch::kUnregister);
}

TEST_F(TrayTest, APlainSecondStartEndsAtOnce) {
    Serve();
    AgentRun& first = Start();
    ASSERT_TRUE(first.dialog);
    EXPECT_EQ(first.ui.tip(), std::string(kTrayTip));
    EXPECT_EQ(first.ui.icon, kTrayIconResource);
    EXPECT_EQ(first.dialog->install_folder(), ProgramFolder());

    AgentRun& second = Start();
    EXPECT_FALSE(second.dialog);
    EXPECT_FALSE(Start({"/RegServer"}).dialog);
    EXPECT_FALSE(Start({"/Unregister"}).dialog);
    EXPECT_EQ(sleeper_.slept, std::chrono::milliseconds(0));  // nobody waited
    EXPECT_FALSE(first.dialog->closed());
    EXPECT_TRUE(instances_.Exists(std::string(kTrayName)));
}

TEST_F(TrayTest, SwitchesOnTheirOwn) {
    // A register switch ends without taking the mutex: a plain start after it runs.
    EXPECT_FALSE(Start({"-Register"}).dialog);
    EXPECT_FALSE(instances_.Exists(std::string(kTrayName)));
    // "-UPDATE" with no agent running is a plain start, without waiting or skipping.
    AgentRun& agent = Start({"-UPDATE"});
    ASSERT_TRUE(agent.dialog);
    EXPECT_FALSE(agent.app->restart_flag());
    EXPECT_EQ(sleeper_.slept, std::chrono::milliseconds(0));
}

TEST_F(TrayTest, UpdateReplacesTheRunningAgentAndSkipsOnlyItsOwnFirstReport) {
    Serve();
    InsertCard('G', {{"TSKN_Ver_Info/HX100.ver", CardVersionFile("HX100", 1)}});
    AgentRun& old_agent = Start();
    ASSERT_TRUE(old_agent.dialog);
    // A plain start checks the card that is already plugged in.
    EXPECT_EQ(old_agent.ui.PopupTypes(), std::vector<int>{2});

    // The old agent takes its close request between the new one's polls, in its own time.
    sleeper_.on_sleep = [&] { old_agent.Pump(); };
    AgentRun& new_agent = Start({"-UPDATE"});
    sleeper_.on_sleep = nullptr;
    ASSERT_TRUE(new_agent.dialog);
    EXPECT_TRUE(old_agent.dialog->closed());
    EXPECT_EQ(old_agent.ui.quits, 1);
    EXPECT_FALSE(old_agent.ui.tip());  // the old icon went
    EXPECT_LT(sleeper_.slept, kReplaceWaitLimit);

    // Its start-up scan reported the card: that first report is skipped, the next is not.
    EXPECT_TRUE(new_agent.ui.popups.empty());
    EXPECT_FALSE(new_agent.app->restart_flag());
    Report(new_agent, 'G');
    EXPECT_EQ(new_agent.ui.PopupTypes(), std::vector<int>{2});

    // The new agent holds the mutex and the endpoint: a later plain start ends at once.
    EXPECT_FALSE(Start().dialog);
    // And it is the one that answers the updater's close request.
    EXPECT_TRUE(instances_.RequestClose(std::string(kTrayName)));
    ASSERT_TRUE(testing::WaitUntil([&] { return new_agent.queue.Size() > 0; }));
    new_agent.Pump();
    EXPECT_TRUE(new_agent.dialog->closed());
}

TEST_F(TrayTest, UpdateEndsQuietlyWhenTheRunningAgentStays) {
    AgentRun& old_agent = Start();
    ASSERT_TRUE(old_agent.dialog);
    // The old agent never handles its close request.
    AgentRun& new_agent = Start({"-UPDATE"});
    EXPECT_FALSE(new_agent.dialog);
    EXPECT_EQ(sleeper_.slept, kReplaceWaitLimit);
    EXPECT_TRUE(new_agent.ui.popups.empty());
    old_agent.queue.Drain();
    EXPECT_FALSE(old_agent.dialog->closed());
    EXPECT_TRUE(instances_.Exists(std::string(kTrayName)));
}

TEST_F(TrayTest, ProgramFolderComesFromTheSettingsOrTheUpdatersDefault) {
    AgentRun& agent = Start();
    ASSERT_TRUE(agent.dialog);
    // No INSTALL value: the updater's default folder, never ".".
    EXPECT_EQ(agent.dialog->install_folder(), box_.Path("default-program") + "/");
    agent.dialog->OnCommand(kCommandStartUpdater);
    ASSERT_EQ(launcher_.requests().size(), 1u);
    EXPECT_EQ(launcher_.requests()[0].program, box_.Path("default-program") + "/Mapvale");
}

TEST_F(TrayTest, AnIconRefusedAtStartKeepsItsPicture) {
    auto run = std::make_unique<AgentRun>(clock_);
    run->ui.accept_icon = false;
    run->app = std::make_unique<TSKN_CRozavIzivApp>(Services());
    std::filesystem::create_directories(box_.Path("locks"));
    ASSERT_TRUE(run->app->InitInstance(run->queue));
    run->dialog = std::make_unique<TSKN_CRozavIzivDlg>(run->ui, run->queue, Services(),
                                                       run->app->restart_flag());
    run->dialog->OnInitDialog();
    EXPECT_FALSE(run->dialog->icon_added());
    // The front end shows it once a tray host appears; it must have its picture then.
    EXPECT_EQ(run->ui.icon, kTrayIconResource);
    EXPECT_EQ(run->ui.tip(), std::string(kTrayTip));
    runs_.push_back(std::move(run));
}

}  // namespace
}  // namespace mapvale::tray::test
