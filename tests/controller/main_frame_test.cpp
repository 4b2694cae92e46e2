// The controller's start-up, screens, drive changes, progress messages, errors and close, driven
// through a scripted front end.

#include <chrono>
#include <filesystem>

#include "controller/controller_texts.h"
#include "frame_fixture.h"

namespace mapvale::controller::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kHx100Version = "*|20240115|2024012|HX100|2024.01|1|0|1\n";

platform::WParam Arrived(char letter) {
    return kDriveArrived | static_cast<platform::WParam>(letter);
}
platform::WParam Removed(char letter) {
    return kDriveRemoved | static_cast<platform::WParam>(letter);
}

TEST_F(FrameTest, StartUpSignsInAndShowsTheOptionScreen) {
    CMainFrame& frame = StartedFrame();
    ASSERT_GE(ui_.log.size(), 3u);
    EXPECT_EQ(ui_.log.front(), "self-update");
    EXPECT_TRUE(ui_.Did("sign-in"));
    EXPECT_EQ(ui_.log.back(), "create 22");
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_FALSE(ClosePosted());

    const ControllerState& state = frame.state();
    EXPECT_EQ(state.screen_number, kScreenOptions);
    EXPECT_TRUE(state.wizard_screen);
    EXPECT_EQ(state.devices.size(), 4u);
    EXPECT_EQ(state.account_kind, "H");
    EXPECT_FALSE(state.first_family.empty());
    EXPECT_FALSE(state.second_family.empty());
    // The world's banner lists were fetched and both rotations run.
    EXPECT_FALSE(state.banners.s.empty());
    EXPECT_EQ(ui_.timers.count(1), 1u);
    EXPECT_EQ(ui_.timers.count(2), 1u);
    // The account gives consent: recorded for the user right after sign-in.
    EXPECT_EQ(profile_.GetProfileInt("USER\\hong", "TRAFFIC", -1), 1);
    // Every device knows the server's newest versions by its line.
    EXPECT_EQ(Device("HX100")->server_map_version, 20240115);
    EXPECT_EQ(Device("HT300")->server_map_version, 20240301);

    // Exit saves the settings.
    frame.Destroy();
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "hong");
    EXPECT_EQ(profile_.GetProfileString("USER", "Company"), "OV");
}

TEST_F(FrameTest, TheProgramsOwnDownloadFolderIsMadeAtStartButAChosenOneThatIsGoneIsNot) {
    std::filesystem::remove_all(DataFolder());
    StartedFrame();
    EXPECT_TRUE(std::filesystem::is_directory(DataFolder()));
    frame_->Destroy();
    frame_.reset();

    const std::string chosen = box_.Path("usb-disk/maps") + "/";
    profile_.WriteProfileString("PATH", "DATA", chosen);
    MakeFrame().OnCreate();
    EXPECT_EQ(frame_->state().settings.data_folder, chosen);
    EXPECT_FALSE(std::filesystem::exists(chosen));
}

TEST_F(FrameTest, StartUpEndsWhenItCannotGoOn) {
    Serve();
    // An unknown switch ends the program without a word, and without touching the settings.
    profile_.WriteProfileString("USER", "ID", "kim");
    profile_.WriteProfileString("PATH", "DATA", "/maps/");
    MakeFrame({"-systray"}).OnCreate();
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(ui_.Did("sign-in"));
    EXPECT_TRUE(ui_.boxes.empty());
    frame_->HandleMessage(kWmClose, 0, 0);
    EXPECT_TRUE(frame_->closed());
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "kim");
    EXPECT_EQ(profile_.GetProfileString("PATH", "DATA"), "/maps/");

    // The self-update dialog was cancelled.
    ui_.log.clear();
    ui_.update_outcome = FrameUi::UpdateOutcome::kCancel;
    MakeFrame().OnCreate();
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(ui_.Did("sign-in"));

    // No package list.
    ui_.log.clear();
    ui_.update_outcome = FrameUi::UpdateOutcome::kContinue;
    std::filesystem::remove(ProgramFolder() + "Info/PackageInfo.txt");
    MakeFrame().OnCreate();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "실행 정보 얻기 실패!");
    EXPECT_EQ(ui_.boxes[0].buttons, Buttons::kOk);
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(ui_.Did("sign-in"));

    // A failed sign-in.
    ui_.boxes.clear();
    ui_.log.clear();
    std::filesystem::copy_file(world_.PackageList(), ProgramFolder() + "Info/PackageInfo.txt");
    ui_.password = "wrong";
    MakeFrame().OnCreate();
    EXPECT_TRUE(ui_.Did("sign-in"));
    EXPECT_FALSE(ui_.Did("create 22"));
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(frame_->state().sign_in_error.empty());
}

TEST_F(FrameTest, TheCardNamesItsDevice) {
    InsertCard('E', "1G");
    InsertCard('F', "1G", {{"HX100.ver", std::string(kHx100Version)}});
    CMainFrame& frame = StartedFrame();
    Pump();
    EXPECT_EQ(frame.state().drives.size(), 2u);
    EXPECT_EQ(frame.state().selected_device, Device("HX100"));
    EXPECT_EQ(frame.state().selected_drive, 'F');
    EXPECT_EQ(frame.state().current_records.size(), frame.state().first_family.size());
}

TEST_F(FrameTest, OneScanReevaluatesTheSelectionOnce) {
    CMainFrame& frame = StartedFrame();
    Pump();
    for (const char letter : {'E', 'F', 'G', 'H'}) {
        InsertCard(letter, "1G");
    }
    const int before = ui_.lists_refreshed;
    frame.HandleMessage(kMsgDriveChange, Arrived('E'), 1);
    frame.HandleMessage(kMsgDriveChange, Arrived('F'), 1);
    frame.HandleMessage(kMsgDriveChange, Arrived('G'), 1);
    EXPECT_EQ(ui_.lists_refreshed, before);
    frame.HandleMessage(kMsgDriveChange, Arrived('H'), 0);
    EXPECT_EQ(ui_.lists_refreshed, before + 1);
    EXPECT_EQ(frame.state().drives.size(), 4u);
    // Four devices and four cards, none named: nothing to choose automatically.
    EXPECT_EQ(frame.state().selected_device, nullptr);
    EXPECT_EQ(frame.state().selected_drive, 0);
}

TEST_F(FrameTest, ACardOnTheWelcomePageGoesOnToTheCountdownOrForASmallVariantTwoCardToTheMainScreen) {
    // kim's KC30 is a TARNO unit of the second variant, which has no easy install on a card
    // below 1.25 GB; its card keeps the version file in the unit's own folder.
    ui_.user = "kim";
    ui_.brand = "DL";
    ui_.password = "5678";
    CMainFrame& frame = StartedFrame();
    Pump();
    frame.ShowScreen(kScreenNoCard);
    ASSERT_EQ(Device("KC30")->sub_kind, 2);
    const std::string kc30 = "*|20240115|2024012|KC30|2024.01|1|0|1\n";

    // A card large enough: the countdown; pulled again: back to the welcome page.
    InsertCard('E', "2G", {{"Tarno/KC30.ver", kc30}});
    frame.HandleMessage(kMsgDriveChange, Arrived('E'), 0);
    EXPECT_EQ(frame.state().selected_device, Device("KC30"));
    EXPECT_EQ(frame.state().screen_number, kScreenCountdown);
    frame.HandleMessage(kMsgDriveChange, Removed('E'), 0);
    EXPECT_EQ(frame.state().screen_number, kScreenNoCard);
    EXPECT_TRUE(ui_.boxes.empty());

    // A 1 GB card: the note, then the main screen.
    InsertCard('F', "1G", {{"Tarno/KC30.ver", kc30}});
    frame.HandleMessage(kMsgDriveChange, Arrived('F'), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kTextNoSmallEasyInstall);
    EXPECT_EQ(ui_.boxes[0].caption, kCaptionMoveScreen);
    EXPECT_EQ(ui_.boxes[0].buttons, Buttons::kOk);
    EXPECT_TRUE(frame.state().main_screen);
    EXPECT_FALSE(frame.state().wizard_screen);
}

TEST_F(FrameTest, ClosingAsksUnlessTheWizardIsFinished) {
    InsertCard('E', "1G", {{"HX100.ver", std::string(kHx100Version)}});
    CMainFrame& frame = StartedFrame();
    Pump();
    ASSERT_EQ(frame.state().selected_drive, 'E');

    ui_.answers = {Answer::kNo};
    frame.HandleMessage(kWmClose, 0, 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kTextAskClose);
    EXPECT_EQ(ui_.boxes[0].caption, kCaptionAskClose);
    EXPECT_EQ(ui_.boxes[0].buttons, Buttons::kYesNo);
    EXPECT_FALSE(frame.closed());

    // On the finished screen, pulling the card ends the program, and so does closing, unasked.
    frame.ShowScreen(kScreenFinished);
    frame.HandleMessage(kMsgDriveChange, Removed('E'), 0);
    EXPECT_TRUE(ClosePosted());
    frame.HandleMessage(kWmClose, 0, 0);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_TRUE(frame.closed());
}

TEST_F(FrameTest, ProgressIsRecomputedOnceASecond) {
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = frame.state().devices.emplace_back();
    frame.SelectDevice(&device);
    frame.ToggleMainScreen(true);

    // The first message of a download only records where it starts.
    frame.HandleMessage(kMsgDownloadProgress, 100, 1000);
    EXPECT_EQ(device.download_start_time, clock_.Now());
    EXPECT_EQ(device.download_percent, 0);
    clock_.Advance(3s);
    frame.HandleMessage(kMsgDownloadProgress, 400, 1000);
    EXPECT_EQ(device.download_percent, 40);
    EXPECT_DOUBLE_EQ(device.download_speed, 100.0);
    EXPECT_EQ(device.remaining_download_seconds, 6);
    EXPECT_EQ(device.job_state, 5);
    // A second message within the same second changes nothing.
    frame.HandleMessage(kMsgDownloadProgress, 900, 1000);
    EXPECT_EQ(device.download_percent, 40);
    EXPECT_GT(ui_.repaints, 0);

    // A copy slower than 1 MB/s shows the download's remaining time.
    frame.HandleMessage(kMsgCopyProgress, 10, 5000);
    clock_.Advance(3s);
    frame.HandleMessage(kMsgCopyProgress, 1010, 5000);
    EXPECT_EQ(device.install_percent, 20);
    EXPECT_EQ(device.remaining_copy_seconds, 6);

    // Stage messages; file names only with wParam 1.
    frame.HandleMessage(kMsgInstallRestoreStage, 0, 0);
    EXPECT_EQ(device.job_state, 3);
    EXPECT_EQ(device.install_percent, 0);
    frame.HandleMessage(kMsgBackupProgress, 30, 120);
    EXPECT_EQ(device.install_percent, 25);
    frame.state().current_download_item = "kept";
    frame.HandleMessage(kMsgDownloadFileChanged, 0, 0);
    frame.HandleMessage(kMsgInstallFileChanged, 2, 0);
    EXPECT_EQ(frame.state().current_download_item, "kept");
}

TEST_F(FrameTest, JobErrorsEndTheJobAndTellWhy) {
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = frame.state().devices.emplace_back();
    frame.SelectDevice(&device);
    frame.state().job_running = 1;
    device.busy = 1;
    frame.ShowScreen(kScreenProgress);
    ui_.log.clear();

    frame.HandleMessage(kMsgJobError, 999, 5);
    EXPECT_EQ(frame.state().job_running, 0);
    EXPECT_EQ(device.busy, 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "지도 설치에 실패하였습니다.\n[기타 오류 999 5]\n");
    EXPECT_EQ(ui_.boxes[0].owner, Owner::kWizardScreen);
    // The wizard goes back to its option screen, placed where the progress screen was.
    EXPECT_EQ(ui_.log, (std::vector<std::string>{"box ", "create 22 over 3", "destroy 3"}));
    EXPECT_EQ(frame.state().screen_number, kScreenOptions);
    // Each wait of the cancel went through the controller's sleeper.
    EXPECT_EQ(sleeper_.Sleeps(), (std::vector<std::chrono::milliseconds>{1s, 1s, 1s}));

    frame.ToggleMainScreen(true);
    frame.HandleMessage(kMsgJobError, 301, 6);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].text,
              "지도 설치에 실패하였습니다.\n[다운로드 중 오류가 발생했습니다.(오류코드 : 6)]\n");
    EXPECT_EQ(ui_.boxes[1].owner, Owner::kMainScreen);
}

TEST_F(FrameTest, BannersRotateAndFallBack) {
    CMainFrame& frame = MakeFrame();
    // No servers at all: no banner file, and no portal page to fall back on.
    frame.LoadBanners();
    EXPECT_TRUE(frame.state().banners.s.empty());
    EXPECT_TRUE(frame.state().banners.e.empty());
    EXPECT_TRUE(ui_.timers.empty());
    // With a portal host but still no banner file: the fallback entries.
    frame.state().servers.Set(ServerConfig::kPortalStart, "portal.example");
    frame.LoadBanners();
    ASSERT_EQ(frame.state().banners.s.size(), 1u);
    EXPECT_EQ(frame.state().banners.s[0].url, "http://portal.example/");
    EXPECT_EQ(frame.state().current_e, "http://portal.example/");
    EXPECT_EQ(ui_.timers.at(1), kFallbackBannerSeconds * 1000);
    EXPECT_EQ(ui_.timers.at(2), kFallbackBannerSeconds * 1000);

    frame.state().banners = ParseBannerFile("S,5,a\r\nS,7,b\r\nE,9,c", "u");
    frame.state().current_s = "a?userid=u";
    frame.ToggleMainScreen(true);  // reloads: the fallback again
    frame.state().banners = ParseBannerFile("S,5,a\r\nS,7,b\r\nE,9,c", "u");
    frame.state().current_s = "a?userid=u";
    frame.HandleMessage(kWmTimer, 1, 0);
    EXPECT_EQ(frame.state().current_s, "b?userid=u");
    EXPECT_EQ(ui_.timers.at(1), 7000);
    frame.HandleMessage(kWmTimer, 1, 0);
    EXPECT_EQ(frame.state().current_s, "a?userid=u");
    // Without a selected device the main screen shows the default page.
    EXPECT_EQ(ui_.log.back(), "navigate http:///orla/Waymark/InstallInfoPlus/BanerH10.html");
}

TEST_F(FrameTest, TheDataFolderChooserRefusesAFolderThatHoldsThePackage) {
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = frame.state().devices.emplace_back();
    device.model_name = "HX100";
    frame.SelectDevice(&device);
    frame.state().settings.data_folder = DataFolder();
    box_.Write("taken/HX100/x", "x");
    ui_.folders = {box_.Path("taken"), box_.Path("fresh")};
    EXPECT_EQ(frame.ChooseDataFolder(), 1);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kTextNewestAlreadyThere);
    EXPECT_EQ(frame.state().settings.data_folder, box_.Path("fresh") + "/");
    EXPECT_EQ(frame.ChooseDataFolder(), 0);  // cancelled
}

}  // namespace
}  // namespace mapvale::controller::test
