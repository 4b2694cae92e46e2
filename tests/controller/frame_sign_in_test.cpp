// What sign-in settles besides the account: the traffic consent, the one re-consent dialog and
// the monthly reminder.

#include "controller/controller_texts.h"
#include "frame_fixture.h"
#include "platform/files.h"

namespace mapvale::controller::test {
namespace {

// An OV account with one vehicle whose account check answers `service` as the traffic flag.
std::string Account(const std::string& name, const std::string& service) {
    return "\n[account " + name +
           "]\npassword = pw\nletter = H\nname = 시험\nservice = " + service +
           "\n\n[vehicle]\nmodel = HX100\nproduct-line = HX-100\ncaption = 시험\nclass = AVN\n";
}

class FrameSignInTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        std::ofstream(world_.Accounts(), std::ios::app)
            << Account("tee", "t") << Account("eff", "F") << Account("odd", "X");
    }
    int SignInAs(const std::string& user) { return frame_->RunSignIn(user, "OV", "pw"); }
    int Stored(const std::string& user, const char* value) {
        return profile_.GetProfileInt("USER\\" + user, value, -7);
    }
    void StoreNoticeDate(const std::string& user, int year, int month, int day) {
        const std::string section = "USER\\" + user + "\\TRA_NOTI_TIME\\";
        profile_.WriteProfileInt(section, "YEAR", year);
        profile_.WriteProfileInt(section, "MON", month);
        profile_.WriteProfileInt(section, "DAY", day);
    }
    bool ReminderOpened() const {
        for (const std::string& line : ui_.log) {
            if (line.rfind("open http://", 0) == 0 &&
                line.find("/orla/Waymark/InstallInfoPlus/traffic.html") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(FrameSignInTest, TheServersFlagDecidesTheConsent) {
    CMainFrame& frame = StartedFrame();
    ASSERT_EQ(SignInAs("tee"), 1);
    EXPECT_EQ(frame.state().settings.traffic_consent, 1);
    EXPECT_EQ(frame.state().settings.user_id, "tee");
    EXPECT_EQ(frame.state().devices.size(), 1u);
    EXPECT_EQ(ui_.reconsent_dialogs, 0);

    // No flag: the stored default (0, never set) is taken, reported and acknowledged today.
    clock_.SetLocal(2024, 7, 3);
    ASSERT_EQ(SignInAs("odd"), 1);
    EXPECT_EQ(frame.state().settings.traffic_consent, 0);
    EXPECT_EQ(Stored("odd", "TRAFFIC_LAST_ACK"), 0);
    EXPECT_EQ(profile_.GetProfileInt("USER\\odd\\TRA_NOTI_TIME\\", "MON", 0), 7);

    // A failed attempt keeps the user and the devices of the last one.
    EXPECT_EQ(frame.RunSignIn("odd", "OV", ""), 0);
    EXPECT_EQ(frame.state().sign_in_error, kTextEnterPassword);
    EXPECT_EQ(frame.RunSignIn("", "OV", "pw"), 0);
    EXPECT_EQ(frame.state().sign_in_error, kTextEnterId);
    EXPECT_EQ(frame.state().settings.user_id, "odd");
    EXPECT_EQ(frame.state().devices.size(), 1u);
}

TEST_F(FrameSignInTest, ADeclineOffersTheDialogOnceAndRemindsMonthly) {
    CMainFrame& frame = StartedFrame();
    ASSERT_EQ(SignInAs("eff"), 1);
    EXPECT_EQ(frame.state().settings.traffic_consent, 0);
    EXPECT_EQ(ui_.reconsent_dialogs, 1);
    EXPECT_EQ(Stored("eff", "TRAFFIC_ALREADY_POP"), 1);
    EXPECT_FALSE(ReminderOpened());  // the notice date was just written

    StoreNoticeDate("eff", 2024, 5, 20);
    clock_.SetLocal(2024, 6, 19);
    ASSERT_EQ(SignInAs("eff"), 1);
    EXPECT_EQ(ui_.reconsent_dialogs, 1);  // answered with OK once: never again
    EXPECT_FALSE(ReminderOpened());

    clock_.SetLocal(2024, 6, 20);
    ASSERT_EQ(SignInAs("eff"), 1);
    EXPECT_TRUE(ReminderOpened());
    EXPECT_EQ(profile_.GetProfileInt("USER\\eff\\TRA_NOTI_TIME\\", "DAY", 0), 20);
    EXPECT_EQ(profile_.GetProfileInt("USER\\eff\\TRA_NOTI_TIME\\", "MON", 0), 6);

    // A consent given on the command line is not asked again.
    ui_.log.clear();
    profile_.WriteProfileInt("USER\\eff", "TRAFFIC_ALREADY_POP", 0);
    frame.state().settings.consent_from_command_line = 1;
    ASSERT_EQ(SignInAs("eff"), 1);
    EXPECT_EQ(ui_.reconsent_dialogs, 1);
}

TEST_F(FrameSignInTest, AChoiceOfTheAgreementDialogIsForTheSignedInUserOnly) {
    CMainFrame& frame = StartedFrame();
    ASSERT_EQ(SignInAs("tee"), 1);
    clock_.SetLocal(2024, 8, 2);
    EXPECT_EQ(frame.ApplyTrafficChoice(net::TrafficChoice::kDecline), 1);
    EXPECT_EQ(frame.state().settings.traffic_consent, 0);
    EXPECT_EQ(Stored("tee", "TRAFFIC"), 0);
    EXPECT_EQ(Stored("tee", "TRAFFIC_LAST_ACK"), 0);
    EXPECT_EQ(profile_.GetProfileInt("USER\\tee\\TRA_NOTI_TIME\\", "DAY", 0), 2);
    frame.state().settings.user_id.clear();
    EXPECT_EQ(frame.ApplyTrafficChoice(net::TrafficChoice::kAgree), 0);
    EXPECT_EQ(Stored("tee", "TRAFFIC"), 0);
}

TEST_F(FrameSignInTest, SavingWritesTheAccountOnlyOnceTheSettingsWereRead) {
    profile_.WriteProfileString("USER", "ID", "kept");
    CMainFrame& unread = MakeFrame();
    unread.state().settings.user_id = "";
    unread.SaveSettings();
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "kept");

    CMainFrame& frame = StartedFrame();
    ASSERT_EQ(SignInAs("tee"), 1);
    app::AppSettings& settings = frame.state().settings;
    settings.save = 1;
    settings.auto_sign_in = 0;
    settings.company = "DL";
    frame.SaveSettings();
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "tee");
    EXPECT_EQ(profile_.GetProfileString("USER", "Company"), "DL");
    EXPECT_EQ(profile_.GetProfileInt("USER", "SAVE", -1), 1);
    EXPECT_EQ(profile_.GetProfileInt("USER", "AUTO", -1), 0);
    EXPECT_FALSE(profile_.GetProfileString("USER", "INFO").empty());
    EXPECT_NE(profile_.GetProfileString("USER", "INFO").find_first_not_of("pw:tee"),
              std::string::npos);  // scrambled, not plain
}

TEST_F(FrameSignInTest, ProductPicturesGoToTheCacheWhenTheProgramFolderIsNotWritable) {
    StartedFrame();
    const DeviceEntry* device = Device("HX100");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->picture_path, ProgramFolder() + "Product/HX100.png");
    EXPECT_TRUE(platform::FileExists(device->picture_path));

    // A program folder the system owns: the pictures are fetched into the user's cache.
    std::filesystem::remove_all(ProgramFolder() + "Product");
    std::vector<std::string> asked;
    may_write_folder_ = [&asked](const std::string& folder) {
        asked.push_back(folder);
        return false;
    };
    frame_.reset();
    MakeFrame().OnCreate();
    device = Device("HX100");
    ASSERT_NE(device, nullptr);
    const std::string cache = box_.Path("cache/Product") + "/";
    EXPECT_EQ(device->picture_path, cache + "HX100.png");
    EXPECT_TRUE(platform::FileExists(device->picture_path));
    EXPECT_FALSE(platform::FolderExists(ProgramFolder() + "Product"));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), ProgramFolder() + "Product/");
}

}  // namespace
}  // namespace mapvale::controller::test
