#include <gtest/gtest.h>

#include "app/command_switch.h"
#include "app/constants.h"
#include "app/settings_io.h"
#include "app/text_scrambler.h"
#include "platform/profile.h"
#include "platform/settings_store.h"
#include "support/sandbox.h"

namespace mapvale::app {
namespace {

using platform::Profile;

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest()
        : store_(box_.path() / "registry"),
          profile_(store_, std::string(kCompanyKey), std::string(kProfileName)) {}

    AppSettings Load(std::vector<std::string> arguments = {}) {
        AppSettings settings;
        EXPECT_EQ(ReadCommandSwitch(settings, profile_, arguments), 1);
        EXPECT_EQ(LoadSettings(settings, profile_, defaults_), 1);
        return settings;
    }

    testing::Sandbox box_;
    platform::FileSettingsStore store_;
    Profile profile_;
    FolderDefaults defaults_{"/opt/mapvale/", "/home/u/.local/share/Velmora/TSKN_Waymark+/Data/"};
};

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults) {
    const AppSettings s = Load();
    EXPECT_EQ(s.user_id, "");
    EXPECT_EQ(s.password, "");
    EXPECT_EQ(s.save, 1);
    EXPECT_EQ(s.auto_sign_in, 1);
    EXPECT_EQ(s.big, 0);
    EXPECT_EQ(s.company, "");
    EXPECT_EQ(s.traffic_consent, -1);
    EXPECT_EQ(s.traffic_last_ack, -1);
    EXPECT_EQ(s.traffic_default, 0);  // migrated from the absent old value
    EXPECT_EQ(profile_.GetProfileInt("USER", "TRAFFIC_DEFAULT", 7), 0);
    EXPECT_EQ(s.program_folder, defaults_.program_folder);
    EXPECT_EQ(s.data_folder, defaults_.data_folder);
}

TEST_F(SettingsTest, OldConsentMigratesOnce) {
    profile_.WriteProfileInt("USER", "TRAFFIC", 1);
    EXPECT_EQ(Load().traffic_default, 1);
    EXPECT_EQ(profile_.GetProfileInt("USER", "TRAFFIC_DEFAULT", -1), 1);
    // Once migrated, the old value no longer matters.
    profile_.WriteProfileInt("USER", "TRAFFIC", 0);
    EXPECT_EQ(Load().traffic_default, 1);
}

TEST_F(SettingsTest, CredentialsRoundTripAndStayWithTheirId) {
    AppSettings s = Load();
    s.user_id = "alice";
    s.password = "pa:ss";
    s.save = 1;
    s.company = "DL";
    s.traffic_consent = 1;
    s.traffic_default = 0;
    SaveSettings(s, profile_);
    EXPECT_EQ(profile_.GetProfileString("USER", "INFO").find("alice"), std::string::npos);

    AppSettings again = Load();
    EXPECT_EQ(again.user_id, "alice");
    EXPECT_EQ(again.password, "pa:ss");
    EXPECT_EQ(again.company, "DL");
    EXPECT_EQ(again.traffic_consent, 1);
    EXPECT_EQ(again.traffic_default, 0);

    // Credentials stored for another ID give no password, also when one ID starts the other.
    for (const char* other : {"bob", "alice2", "alic"}) {
        profile_.WriteProfileString("USER", "ID", other);
        EXPECT_EQ(Load().password, "") << other;
    }
    profile_.WriteProfileString("USER", "ID", "alice");
    profile_.WriteProfileString("USER", "INFO", "NOT-HEX!");
    EXPECT_EQ(Load().password, "");
    profile_.WriteProfileString("USER", "INFO", ScrambleText("alice"));  // no separator
    EXPECT_EQ(Load().password, "");
}

TEST_F(SettingsTest, UnsavedCredentialsAreErased) {
    AppSettings s = Load();
    s.user_id = "alice";
    s.password = "secret";
    s.save = 0;
    SaveSettings(s, profile_);
    EXPECT_EQ(profile_.GetProfileString("USER", "INFO", "x"), "");
    EXPECT_EQ(Load().password, "");
}

TEST_F(SettingsTest, DataFolderIsNormalisedOnLoadAndSave) {
    profile_.WriteProfileString("PATH", "DATA", "D:\\\\maps");
    AppSettings s = Load();
    EXPECT_EQ(s.data_folder, "D:/maps/");
    SaveSettings(s, profile_);
    EXPECT_EQ(profile_.GetProfileString("PATH", "DATA"), "D:/maps/");

    profile_.WriteProfileString("PATH", "DATA", "/srv//maps");
    EXPECT_EQ(Load().data_folder, "/srv/maps/");
    // An empty stored folder must not become the root of the file system.
    profile_.WriteProfileString("PATH", "DATA", "");
    EXPECT_EQ(Load().data_folder, defaults_.data_folder);
}

TEST_F(SettingsTest, PerUserConsentAndCommandLineConsent) {
    profile_.WriteProfileString("USER", "ID", "alice");
    profile_.WriteProfileInt("USER\\alice", "TRAFFIC", 0);
    profile_.WriteProfileInt("USER\\alice", "TRAFFIC_LAST_ACK", 1);
    AppSettings s = Load();
    EXPECT_EQ(s.traffic_consent, 0);
    EXPECT_EQ(s.traffic_last_ack, 1);

    // A consent switch wins over the stored one and becomes the stored default.
    s = Load({"-TRAINFO_AGREE"});
    EXPECT_EQ(s.traffic_consent, 1);
    EXPECT_EQ(s.traffic_default, 1);
    EXPECT_EQ(s.consent_from_command_line, 1);
    EXPECT_EQ(profile_.GetProfileInt("USER", "TRAFFIC_DEFAULT", -1), 1);
    s = Load({"-TRAINFO_DEGREE"});
    EXPECT_EQ(s.traffic_consent, 0);
    EXPECT_EQ(profile_.GetProfileInt("USER", "TRAFFIC_DEFAULT", -1), 0);

    // Saving writes the consent of the signed-in user only.
    s.user_id = "";
    s.traffic_consent = 1;
    SaveSettings(s, profile_);
    EXPECT_EQ(profile_.GetProfileInt("USER\\", "TRAFFIC", -5), -5);
}

TEST_F(SettingsTest, CommandSwitches) {
    AppSettings s;
    EXPECT_EQ(ReadCommandSwitch(s, profile_, {"-SYSTRAY", "/work"}), 1);
    EXPECT_TRUE(s.started_from_tray);
    EXPECT_EQ(s.first_argument, "-SYSTRAY");
    EXPECT_EQ(s.second_argument, "/work");

    // Exact and case-sensitive: anything else ends the program.
    for (const char* other : {"-systray", "-SYSTRAY ", "/SYSTRAY", "-UPDATE", "x"}) {
        AppSettings t;
        EXPECT_EQ(ReadCommandSwitch(t, profile_, {other}), 0) << other;
        EXPECT_FALSE(t.started_from_tray);
    }
    // A second argument alone changes nothing but is kept for a restart.
    AppSettings t;
    EXPECT_EQ(ReadCommandSwitch(t, profile_, {"", "/somewhere"}), 1);
    EXPECT_FALSE(t.started_from_tray);
    EXPECT_EQ(t.consent_from_command_line, 0);
    EXPECT_EQ(t.second_argument, "/somewhere");
}

}  // namespace
}  // namespace mapvale::app
