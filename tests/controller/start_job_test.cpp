// The questions before a job, and whole jobs with the real workers against the demo world.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include "controller/controller_texts.h"
#include "controller/install_rules.h"
#include "frame_fixture.h"

namespace mapvale::controller::test {
namespace {

using namespace std::chrono_literals;

std::string VersionLine(int map, int camera, int mark) {
    return "*|" + std::to_string(map) + "|" + std::to_string(camera) + "|HX100|2024.01|1|0|" +
           std::to_string(mark) + "\n";
}

// A card file of `bytes` that takes no room on the disk.
void MakeSparse(const std::string& path, off_t bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, bytes), 0);
    ::close(fd);
}

class StartJobTest : public FrameTest {
protected:
    // A frame with one vehicle unit and no server; the card at E: when `card` is given.
    DeviceEntry& OfflineDevice(CMainFrame& frame) {
        DeviceEntry& device = frame.state().devices.emplace_back();
        device.kind = 8;
        device.model_name = "HX100";
        device.registered = 1;
        device.format_option = 1;
        device.server_map_version = 20240115;
        device.server_second_version = 2024012;
        frame.SelectDevice(&device);
        return device;
    }
    void AttachCard(CMainFrame& frame, char letter) {
        frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>(letter),
                            1);
        frame.SelectDrive(letter);
        ASSERT_EQ(frame.state().selected_drive, letter);
    }
    // Signed in against the world with HX100 and the card at E: selected.
    CMainFrame& SignedInWithCard(std::vector<std::pair<std::string, std::string>> files = {}) {
        InsertCard('E', "1G", std::move(files));
        CMainFrame& frame = StartedFrame();
        Pump();
        frame.SelectDevice(Device("HX100"));
        frame.SelectDrive('E');
        return frame;
    }
    bool NothingStarted(const CMainFrame& frame, const DeviceEntry& device) const {
        return frame.state().job_running == 0 && device.busy == 0 && device.job_state == 0;
    }
};

TEST_F(StartJobTest, TheWizardConfirmsTheTarget) {
    InsertCard('E', "1G");
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = OfflineDevice(frame);
    AttachCard(frame, 'E');
    frame.ShowScreen(kScreenOptions);

    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, kCaptionConfirmDrive);
    EXPECT_NE(ui_.boxes[0].text.find("드라이브는 [E: 드라이브"), std::string::npos);
    EXPECT_EQ(ui_.boxes[0].owner, Owner::kNone);
    EXPECT_EQ(ui_.start_button_enabled, 1);
    EXPECT_TRUE(NothingStarted(frame, device));

    // The hard disk: the option screen may have said not to ask; else the user is asked.
    frame.SelectDrive(0);
    ui_.skip_question = true;
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].caption, kCaptionConfirmHardDisk);
    EXPECT_TRUE(NothingStarted(frame, device));

    // The countdown screen starts without asking; an unregistered unit is refused with its text.
    device.registered = 0;
    device.registration_text = "등록되지 않은 차량입니다.";
    frame.ShowScreen(kScreenCountdown);
    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[2].text, "등록되지 않은 차량입니다.");
}

TEST_F(StartJobTest, ACardPulledDuringTheQuestionStartsNothing) {
    InsertCard('E', "1G");
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = OfflineDevice(frame);
    AttachCard(frame, 'E');
    frame.ShowScreen(kScreenOptions);
    // The front end handles the drive watcher's message while the box is open.
    ui_.on_box = [&](const ScriptedUi::Box&) {
        frame.HandleMessage(kMsgDriveChange, kDriveRemoved | 'E', 0);
    };
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_TRUE(NothingStarted(frame, device));
    EXPECT_EQ(frame.state().drives.count('E'), 0u);
}

// A start button pressed again, or the countdown running out, while the first start still asks.
TEST_F(StartJobTest, AStartCalledWhileTheFirstOneAsksDoesNothing) {
    InsertCard('E', "1G");
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = OfflineDevice(frame);
    AttachCard(frame, 'E');
    frame.ShowScreen(kScreenOptions);
    int nested = -1;
    ui_.on_box = [&](const ScriptedUi::Box&) {
        if (nested == -1) {
            nested = frame.StartJob();
        }
    };
    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_TRUE(NothingStarted(frame, device));

    // Once the first start has returned, the next one asks again.
    ui_.on_box = nullptr;
    ui_.answers = {Answer::kNo};
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_EQ(ui_.boxes.size(), 2u);
}

// Qt handles messages inside a modal box: a card plugged in while the user is asked about the
// hard disk would be auto-selected, then backed up and formatted without being asked about.
TEST_F(StartJobTest, ACardPluggedInDuringTheHardDiskQuestionStartsNothing) {
    const std::string card = InsertCard('E', "1G", {{"BackUp/mine.dat", "the user's"}});
    CMainFrame& frame = StartedFrame();
    Pump();
    frame.SelectDevice(Device("HX100"));
    frame.SelectDrive(0);
    frame.ShowScreen(kScreenOptions);
    ui_.on_box = [&](const ScriptedUi::Box& box) {
        if (box.caption == kCaptionConfirmHardDisk) {
            frame.HandleMessage(kMsgDriveChange, kDriveArrived | 'E', 0);
        }
    };
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_TRUE(NothingStarted(frame, *Device("HX100")));
    EXPECT_EQ(testing::Sandbox::Read(card + "BackUp/mine.dat"), "the user's");
    EXPECT_FALSE(std::filesystem::exists(DataFolder() + "HX100"));
}

// A running job keeps the device and the card it was started for: the screens cannot switch
// them, and a card that arrives meanwhile is left alone.
TEST_F(StartJobTest, ARunningJobKeepsItsDeviceAndTarget) {
    CMainFrame& frame = StartedFrame();
    Pump();
    DeviceEntry* device = Device("HX100");
    frame.SelectDevice(device);
    frame.SelectDrive(0);
    frame.ShowScreen(kScreenOptions);
    ASSERT_EQ(frame.StartJob(), 1);  // the hard-disk question is answered Yes
    frame.ShowScreen(kScreenProgress);

    const std::string card = InsertCard('E', "1G", {{"BackUp/mine.dat", "the user's"}});
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | 'E', 0);
    frame.SelectDrive('E');
    frame.SelectDevice(Device("KA10") != nullptr ? Device("KA10") : Device("HT300"));
    EXPECT_EQ(frame.state().selected_drive, 0);
    EXPECT_EQ(frame.state().selected_device, device);

    ASSERT_TRUE(PumpUntil([&] { return frame.state().screen_number == kScreenFinished; }));
    EXPECT_TRUE(ui_.Did("open " + DataFolder() + "HX100/")) << ui_.log.back();
    EXPECT_EQ(device->busy, 0);
    EXPECT_EQ(frame.state().job_running, 0);
    EXPECT_EQ(testing::Sandbox::Read(card + "BackUp/mine.dat"), "the user's");
    EXPECT_FALSE(std::filesystem::exists(card + "HX100.ver"));
}

TEST_F(StartJobTest, AStartThatEndsWithoutAJobKeepsWatchingTheDrives) {
    CMainFrame& frame = StartedFrame();
    Pump();
    DeviceEntry* device = Device("HV400");  // not registered: refused after the pause
    ASSERT_NE(device, nullptr);
    frame.SelectDevice(device);
    frame.ToggleMainScreen(true);
    EXPECT_EQ(frame.StartJob(), 2);
    EXPECT_EQ(frame.CancelJob(), 0);  // the install page's reset: no job to cancel
    InsertCard('E', "1G");
    EXPECT_TRUE(PumpUntil([&] { return frame.state().drives.count('E') == 1; }, 10s));
}

TEST_F(StartJobTest, TheSameVersionOnTheCardAsksToReinstallOrResume) {
    InsertCard('E', "1G", {{"HX100.ver", VersionLine(20240115, 2024012, 1)}});
    CMainFrame& frame = MakeFrame();
    DeviceEntry& device = OfflineDevice(frame);
    AttachCard(frame, 'E');
    frame.ToggleMainScreen(true);

    ui_.answers = {Answer::kNo};
    const int refreshed = ui_.lists_refreshed;
    EXPECT_EQ(frame.StartJob(), 0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kTextReinstall);
    EXPECT_EQ(ui_.boxes[0].buttons, Buttons::kYesNo);
    EXPECT_GT(ui_.lists_refreshed, refreshed);
    EXPECT_TRUE(NothingStarted(frame, device));

    // An install that did not finish can be resumed; Cancel keeps everything as it is.
    box_.Write("card-E/HX100.ver", VersionLine(20240115, 2024012, 0));
    AttachCard(frame, 'E');
    ui_.answers = {Answer::kCancel};
    EXPECT_EQ(frame.StartJob(), 0);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].text, kTextResume);
    EXPECT_EQ(ui_.boxes[1].buttons, Buttons::kYesNoCancel);
    EXPECT_TRUE(NothingStarted(frame, device));
}

// Volumes whose only volume holds the data folder and never reports its size.
class SilentVolumes final : public platform::Volumes {
public:
    explicit SilentVolumes(std::string root) : root_(std::move(root)) {}
    std::vector<platform::Volume> List() override {
        platform::Volume volume;
        volume.letter = 'D';
        volume.root = root_;
        return {volume};
    }
    std::optional<platform::VolumeSpace> Space(char) override { return std::nullopt; }

private:
    std::string root_;
};

TEST_F(StartJobTest, ADataFolderThatNeverReportsItsRoomIsFull) {
    SilentVolumes silent(DataFolder());
    FrameServices services = Services();
    services.volumes = &silent;
    frame_ = std::make_unique<CMainFrame>(ui_, queue_, services);
    CMainFrame& frame = *frame_;
    frame.state().settings.data_folder = DataFolder();
    DeviceEntry& device = OfflineDevice(frame);
    frame.ToggleMainScreen(true);

    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, kNoticeCaption);
    EXPECT_EQ(ui_.boxes[0].text.rfind("하드디스크 용량이 부족하여 설치할 수 없습니다.\n\n", 0), 0u);
    EXPECT_NE(ui_.boxes[0].text.find("현재 확보된 하드디스크 용량 : [0 MBytes]"),
              std::string::npos);
    // Asked six times, 250 ms apart.
    EXPECT_EQ(sleeper_.Sleeps(), std::vector<std::chrono::milliseconds>(5, 250ms));
    EXPECT_TRUE(NothingStarted(frame, device));
    EXPECT_EQ(ui_.options_disabled, 1);

    // A data folder that is not there is named to the user.
    frame.state().settings.data_folder = box_.Path("gone") + "/";
    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].text, std::string(kTextBadDataFolder) + box_.Path("gone") + "]");
}

TEST_F(StartJobTest, AWholeJobFromTheWizardPutsThePackageOnTheCard) {
    CMainFrame& frame = SignedInWithCard();
    DeviceEntry& device = *frame.state().selected_device;
    frame.ToggleMainScreen(false);  // a card and a device: the countdown screen
    EXPECT_EQ(frame.state().screen_number, kScreenCountdown);
    ui_.wizard_choice = std::pair{false, false};  // no format, no backup

    ASSERT_EQ(frame.StartJob(), 1);
    EXPECT_EQ(frame.state().job_running, 1);
    EXPECT_EQ(device.busy, 1);
    frame.ShowScreen(kScreenProgress);
    ASSERT_TRUE(PumpUntil([&] { return frame.state().screen_number == kScreenFinished; }))
        << "boxes: " << ui_.boxes.size()
        << (ui_.boxes.empty() ? std::string() : " " + ui_.boxes.back().text);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(NothingStarted(frame, device));
    EXPECT_EQ(device.install_percent, 0);  // the cancel at the end resets the figures

    // The card holds the package with its completed version file.
    std::string listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(box_.Path("card-E"))) {
        listing += entry.path().string() + "\n";
    }
    const std::string version = testing::Sandbox::Read(box_.Path("card-E/HX100.ver"));
    SCOPED_TRACE(listing);
    EXPECT_EQ(version.rfind("*|20240115|", 0), 0u) << version;
    EXPECT_NE(version.find("|1\n"), std::string::npos) << version;
    for (const FileEntry& entry : device.files) {
        EXPECT_NE(entry.status.load(), FileStatus::kToFetch) << entry.file_name;
    }
    // The drive watcher runs again, and the finished card now names its device.
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | 'E', 0);
    EXPECT_EQ(frame.state().drives.at('E').model_name, "HX100");
}

TEST_F(StartJobTest, ACardTooSmallForThePackageIsRefusedBeforeAnythingIsFetched) {
    // Every file of the package is of every variant (attribute 3), and the user's own files
    // leave the card less room than the package takes.
    CMainFrame& frame = SignedInWithCard();
    MakeSparse(box_.Path("card-E/Movies/trip.mp4"), (off_t{1} << 30) - 100 * 1024);
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | 'E', 1);
    DeviceEntry& device = *frame.state().selected_device;
    EXPECT_GT(device.variant_totals[0], 200 * 1024);
    frame.ToggleMainScreen(true);
    device.format_option = 1;
    device.backup_option = 1;
    device.install_type = frame.ChooseInstallType();
    const auto card_listing = [&] {
        std::string listing;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(box_.Path("card-E"))) {
            listing += entry.path().string() + "\n";
        }
        return listing;
    };
    const std::string card_before = card_listing();

    EXPECT_EQ(frame.StartJob(), 2);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, JobErrorMessage(kErrorCardTooSmall, 0));
    EXPECT_TRUE(NothingStarted(frame, device));
    EXPECT_GT(device.needed_kb, 200u);
    // Nothing was fetched: no span, no package folder, no progress; the card is as it was.
    EXPECT_FALSE(std::filesystem::exists(DataFolder() + "HX100"));
    for (const platform::Message& message : queue_.Drain()) {
        EXPECT_NE(message.message, kMsgDownloadProgress);
        EXPECT_NE(message.message, kMsgDownloadFileChanged);
    }
    EXPECT_EQ(card_listing(), card_before);
}

TEST_F(StartJobTest, OnlyNewCameraDataOffersToSkipTheFormat) {
    CMainFrame& frame = SignedInWithCard({{"HX100.ver", VersionLine(20240115, 2023001, 1)}});
    DeviceEntry& device = *frame.state().selected_device;
    frame.ToggleMainScreen(true);
    device.format_option = 1;
    device.backup_option = 0;

    ui_.answers = {Answer::kYes};
    ASSERT_EQ(frame.StartJob(), 1);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, kCaptionCameraOnly);
    EXPECT_EQ(ui_.boxes[0].icon, Icon::kInformation);
    EXPECT_EQ(device.format_option, 0);
    EXPECT_GT(ui_.options_refreshed, 0);
    EXPECT_TRUE(ui_.Did("bitmap 429"));
    EXPECT_EQ(frame.CancelJob(), 1);
    EXPECT_TRUE(ui_.Did("bitmap 377"));
    EXPECT_TRUE(NothingStarted(frame, device));
}

TEST_F(StartJobTest, ABackupOfTwoGigabytesAsksToDropIt) {
    CMainFrame& frame = SignedInWithCard();
    MakeSparse(box_.Path("card-E/BackUp/old.bin"), off_t{2} << 30);
    cards_.Insert({'E', std::uint64_t{8} << 30, box_.Path("card-E")});
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | 'E', 1);
    DeviceEntry& device = *frame.state().selected_device;
    frame.ToggleMainScreen(true);
    device.format_option = 1;
    device.backup_option = 1;

    ui_.answers = {Answer::kYes};
    ASSERT_EQ(frame.StartJob(), 1);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].caption, kCaptionLargeBackup);
    EXPECT_EQ(device.format_option, 1);
    EXPECT_EQ(device.backup_option, 0);
    EXPECT_EQ(frame.CancelJob(), 1);
}

}  // namespace
}  // namespace mapvale::controller::test
