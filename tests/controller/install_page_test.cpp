// The install page's and the settings dialog's operations on a frame: install type, format and
// backup, colour, check marks, the card choice, the start button, the download folder and the
// change of user.

#include <chrono>

#include "app/constants.h"
#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "frame_fixture.h"

namespace mapvale::controller::test {
namespace {

using namespace std::chrono_literals;

class InstallPageTest : public FrameTest {
protected:
    // Signed in against the world, on the main screen, with HX100 selected and a card at E:.
    CMainFrame& MainScreenWithCard() {
        InsertCard('E', "1G");
        CMainFrame& frame = StartedFrame();
        Pump();
        frame.ToggleMainScreen(true);
        frame.SelectDevice(Device("HX100"));
        frame.ChooseCard('E');
        return frame;
    }
    static int CountStatus(const DeviceEntry& device, FileStatus status) {
        int count = 0;
        for (const FileEntry& file : device.files) {
            count += file.status.load() == status ? 1 : 0;
        }
        return count;
    }
};

TEST_F(InstallPageTest, InstallTypeAndCardChoiceChooseTheFilesAgain) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    ASSERT_EQ(frame.state().selected_drive, 'E');
    // The card choice chose the type that fits the card, and the files for it.
    EXPECT_EQ(device.install_type, ChooseInstallType(&device, frame.state().SelectedCard()));
    EXPECT_GT(device.installed_size, 0u);
    const int refreshed = ui_.lists_refreshed;

    ASSERT_EQ(frame.SetInstallType(kInstallCameraOnly), 1);
    EXPECT_EQ(device.install_type, kInstallCameraOnly);
    EXPECT_GT(ui_.lists_refreshed, refreshed);
    // A custom or camera-data type stays when another card is chosen; the hard disk row clears
    // the card.
    frame.ChooseCard(0);
    EXPECT_EQ(frame.state().selected_drive, 0);
    EXPECT_EQ(device.install_type, kInstallCameraOnly);
    frame.ChooseCard('E');
    EXPECT_EQ(device.install_type, kInstallCameraOnly);

    ASSERT_EQ(frame.SetInstallType(2), 1);
    const int in_job =
        static_cast<int>(device.files.size()) - CountStatus(device, FileStatus::kNotInJob);
    EXPECT_GT(in_job, 0);
    frame.ChooseCard('E');
    EXPECT_EQ(device.install_type, ChooseInstallType(&device, frame.state().SelectedCard()));

    // Without a device nothing changes.
    frame.SelectDevice(nullptr);
    EXPECT_EQ(frame.SetInstallType(4), 0);
    EXPECT_EQ(frame.SetFormatOption(true), 0);
    EXPECT_FALSE(frame.ClickCheckMark(0));
}

TEST_F(InstallPageTest, FormatTurnsBackupWithItAndColourChoosesTheThemeFiles) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    ASSERT_EQ(frame.SetFormatOption(true), 1);
    EXPECT_EQ(device.format_option, 1);
    EXPECT_EQ(device.backup_option, 1);
    ASSERT_EQ(frame.SetBackupOption(false), 1);
    EXPECT_EQ(device.backup_option, 0);
    EXPECT_EQ(device.format_option, 1);
    const int options = ui_.options_refreshed;
    ASSERT_EQ(frame.SetFormatOption(false), 1);
    EXPECT_EQ(device.format_option, 0);
    EXPECT_EQ(device.backup_option, 0);
    EXPECT_GT(ui_.options_refreshed, options);

    EXPECT_EQ(frame.SetColour(3), 0);
    ASSERT_EQ(frame.SetColour(2), 1);
    // A package without deep-colour theme files keeps normal colours.
    EXPECT_EQ(device.colour, 1);
}

TEST_F(InstallPageTest, CheckMarksCountOnlyForTheCustomInstallAndSurviveAnotherChoice) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    ASSERT_FALSE(device.files.empty());
    ASSERT_EQ(frame.SetInstallType(2), 1);
    const std::int32_t before = device.files[0].selected;
    EXPECT_FALSE(frame.ClickCheckMark(0));
    EXPECT_EQ(device.files[0].selected, before);

    ASSERT_EQ(frame.SetFormatOption(true), 1);  // nothing counts as on the card
    ASSERT_EQ(frame.SetInstallType(100), 1);
    ASSERT_EQ(device.files[0].selected, 1);
    const std::uint32_t full = device.installed_size;
    ASSERT_TRUE(frame.ClickCheckMark(0));
    EXPECT_EQ(device.files[0].selected, 0);
    EXPECT_EQ(device.files[0].status.load(), FileStatus::kNotInJob);
    EXPECT_EQ(device.installed_size, full - device.files[0].file_size);
    // Another option chooses the files again and keeps the user's marks.
    ASSERT_EQ(frame.SetBackupOption(false), 1);
    frame.ChooseCard('E');
    EXPECT_EQ(device.files[0].selected, 0);
    EXPECT_EQ(device.installed_size, full - device.files[0].file_size);
}

TEST_F(InstallPageTest, TheHardDiskRowAsksAndYesRunsADownloadOnlyJob) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    frame.ChooseCard(0);
    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.PressStart(), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, "메모리카드 확인");
    EXPECT_EQ(ui_.boxes[0].buttons, Buttons::kYesNo);
    EXPECT_EQ(frame.state().job_running, 0);

    // A second press while the question is open starts nothing; the first one's Yes starts
    // exactly one job.
    int nested = -1;
    bool pressed_again = false;
    ui_.on_box = [&](const ScriptedUi::Box& box) {
        if (box.caption == "메모리카드 확인" && !pressed_again) {
            pressed_again = true;
            nested = frame.PressStart();
            EXPECT_EQ(frame.StartJob(), 0);
            EXPECT_EQ(frame.state().job_running, 0);
        }
    };
    EXPECT_EQ(frame.PressStart(), 1);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(frame.state().job_running, 1);
    EXPECT_TRUE(ui_.Did("bitmap 429"));
    ui_.on_box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return frame.state().job_running == 0; }));
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back().caption, kCaptionDownloadDone);
    EXPECT_TRUE(std::filesystem::exists(DataFolder() + "HX100/HX100.ver"));
    EXPECT_FALSE(std::filesystem::exists(box_.Path("card-E/HX100.ver")));
    EXPECT_EQ(device.busy, 0);
}

TEST_F(InstallPageTest, StartRefusalsByTheCardCheck) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    device.needed_kb = 4u * 1024 * 1024;  // larger than the 1 GB card
    ASSERT_EQ(frame.state().SelectedCard()->capacity_kb < device.needed_kb, true);
    EXPECT_EQ(frame.PressStart(), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kTextCardTooSmall);

    const CardInfo& card = *frame.state().SelectedCard();
    device.needed_kb = card.capacity_kb - 1000;  // less than 50000 KB to spare
    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.PressStart(), 0);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].caption, "실행 확인");
    EXPECT_EQ(frame.state().job_running, 0);

    frame.SelectDevice(nullptr);
    EXPECT_EQ(frame.PressStart(), 0);
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[2].text, kTextNoDeviceSelected);
}

TEST_F(InstallPageTest, SettingsStoreTheFolderAndKeepAnUnknownNotificationMode) {
    CMainFrame& frame = MainScreenWithCard();
    frame.state().settings.big = 5;
    const std::string folder = box_.Path("elsewhere");
    frame.StoreEnvSettings(folder + "//", -1);
    EXPECT_EQ(frame.state().settings.data_folder, folder + "/");
    EXPECT_EQ(frame.state().settings.big, 5);
    EXPECT_EQ(profile_.GetProfileInt(app::kSectionUser, "BIG", 0), 5);
    EXPECT_EQ(profile_.GetProfileString(app::kSectionPath, "DATA"), folder + "/");
    frame.StoreEnvSettings("/", 2);
    EXPECT_EQ(frame.state().settings.data_folder, "/");
    EXPECT_EQ(frame.state().settings.big, 2);
}

// The settings may name another download folder while a job runs: the job's end still reads
// the folder it downloaded into.
TEST_F(InstallPageTest, AFolderChangedDuringAJobLeavesTheJobItsFolder) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    frame.ChooseCard(0);
    ASSERT_EQ(frame.PressStart(), 1);
    const std::string elsewhere = box_.Path("elsewhere") + "/";
    std::filesystem::create_directories(elsewhere);
    frame.StoreEnvSettings(elsewhere, -1);
    ASSERT_TRUE(PumpUntil([&] { return frame.state().job_running == 0; }));
    EXPECT_TRUE(std::filesystem::exists(DataFolder() + "HX100/HX100.ver"));
    int downloaded = 0;
    for (const FileEntry& file : device.files) {
        if (file.file_name == "Korea.map" || file.file_name == "Nav.bin") {
            EXPECT_EQ(file.downloaded_version, file.version) << file.file_name;
            ++downloaded;
        }
    }
    EXPECT_EQ(downloaded, 2);
    EXPECT_EQ(frame.state().settings.data_folder, elsewhere);
}

TEST_F(InstallPageTest, ChangeUserClearsTheSelectionOnlyWhenSomeoneSignedIn) {
    CMainFrame& frame = MainScreenWithCard();
    frame.state().settings.save = 0;
    bool open_while_asked = false;
    EXPECT_FALSE(frame.ChangeUser([&] {
        open_while_asked = frame.state().sign_in_dialog_open;
        return false;
    }));
    EXPECT_TRUE(open_while_asked);
    EXPECT_FALSE(frame.state().sign_in_dialog_open);
    EXPECT_TRUE(frame.state().settings.user_id.empty());  // SAVE 0: not remembered
    EXPECT_NE(frame.state().selected_device, nullptr);

    EXPECT_TRUE(frame.ChangeUser([&] { return frame.RunSignIn("hong", "OV", "1234") == 1; }));
    EXPECT_EQ(frame.state().selected_device, nullptr);
    EXPECT_EQ(profile_.GetProfileString(app::kSectionUser, "ID"), "hong");
}

TEST_F(InstallPageTest, BackToTheWizardIsRefusedWithANoticeOrGoes) {
    CMainFrame& frame = MainScreenWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    ASSERT_EQ(frame.SetInstallType(100), 1);
    EXPECT_FALSE(frame.ReturnToWizard());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, "알림");
    EXPECT_EQ(ui_.boxes[0].text, "\n사용자설치는 간편설치로\n\n지원되지 않습니다.");
    EXPECT_EQ(ui_.boxes[0].owner, Owner::kMainScreen);
    EXPECT_TRUE(frame.state().main_screen);

    frame.ChooseCard('E');
    ASSERT_EQ(frame.SetInstallType(ChooseInstallType(&device, frame.state().SelectedCard())), 1);
    EXPECT_TRUE(frame.ReturnToWizard());
    EXPECT_FALSE(frame.state().main_screen);
    EXPECT_TRUE(frame.state().wizard_screen);
}

TEST_F(InstallPageTest, SignInAgainShowsTheErrorOnFailure) {
    CMainFrame& frame = MainScreenWithCard();
    EXPECT_EQ(frame.SignInAgain(), 1);
    EXPECT_EQ(frame.state().selected_device, nullptr);
    EXPECT_FALSE(frame.state().devices.empty());
    frame.state().settings.password.clear();
    EXPECT_EQ(frame.SignInAgain(), 0);
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back().text, kTextEnterPassword);
}

}  // namespace
}  // namespace mapvale::controller::test
