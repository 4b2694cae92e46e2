#include "platform/profile.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/sandbox.h"

namespace mapvale::platform {
namespace {

using mapvale::testing::Sandbox;

class ProfileTest : public ::testing::Test {
  protected:
    Sandbox box_;
    FileSettingsStore store_{box_.path()};
    Profile updater_{store_, "VELMORA", "TSKN_Waymark+"};
};

TEST_F(ProfileTest, SectionsIgnoreEmptyComponents) {
    EXPECT_EQ(updater_.SectionKey("USER"), "Software\\VELMORA\\TSKN_Waymark+\\USER");
    EXPECT_EQ(updater_.SectionKey("USER\\"), "Software\\VELMORA\\TSKN_Waymark+\\USER");
    // "USER\" + id + "\TRA_NOTI_TIME\", with an id and without one.
    EXPECT_EQ(updater_.SectionKey("USER\\alice\\TRA_NOTI_TIME\\"),
              "Software\\VELMORA\\TSKN_Waymark+\\USER\\alice\\TRA_NOTI_TIME");
    EXPECT_EQ(updater_.SectionKey("USER\\\\TRA_NOTI_TIME\\"),
              "Software\\VELMORA\\TSKN_Waymark+\\USER\\TRA_NOTI_TIME");

    ASSERT_TRUE(updater_.WriteProfileInt("USER\\", "TRAFFIC", 1));
    EXPECT_EQ(updater_.GetProfileInt("USER", "TRAFFIC", -1), 1);
    ASSERT_TRUE(updater_.WriteProfileInt("USER\\alice\\TRA_NOTI_TIME\\", "YEAR", 2024));
    ASSERT_TRUE(updater_.WriteProfileInt("USER\\alice", "TRAFFIC", 0));
    EXPECT_EQ(updater_.GetProfileInt("user\\ALICE\\tra_noti_time", "year", 0), 2024);
    EXPECT_EQ(updater_.GetProfileInt("USER\\alice", "TRAFFIC", -1), 0);
    // The per-user values do not mix with the section above them.
    EXPECT_EQ(updater_.GetProfileInt("USER", "YEAR", 7), 7);
    EXPECT_TRUE(store_.KeyExists(SettingsRoot::kUser,
                                 "Software\\VELMORA\\TSKN_Waymark+\\USER\\alice\\TRA_NOTI_TIME"));
    EXPECT_FALSE(store_.KeyExists(SettingsRoot::kMachine, "Software"));
}

TEST_F(ProfileTest, IntegersAreSignedViewsOfTheStoredDword) {
    ASSERT_TRUE(updater_.WriteProfileInt("USER", "TRAFFIC_DEFAULT", -1));
    EXPECT_EQ(store_.GetDword(SettingsRoot::kUser, updater_.SectionKey("USER"), "TRAFFIC_DEFAULT"),
              0xFFFFFFFFu);
    EXPECT_EQ(updater_.GetProfileInt("USER", "TRAFFIC_DEFAULT", 5), -1);
    ASSERT_TRUE(
        store_.SetDword(SettingsRoot::kUser, updater_.SectionKey("USER"), "MIN", 0x80000000u));
    EXPECT_EQ(updater_.GetProfileInt("USER", "MIN", 0), INT_MIN);
    ASSERT_TRUE(updater_.WriteProfileInt("USER", "MAX", INT_MAX));
    EXPECT_EQ(updater_.GetProfileInt("USER", "MAX", 0), INT_MAX);
}

TEST_F(ProfileTest, DefaultsWhenAbsentOrOfTheOtherType) {
    EXPECT_EQ(updater_.GetProfileInt("USER", "SAVE", 1), 1);
    EXPECT_EQ(updater_.GetProfileString("USER", "ID"), "");
    EXPECT_EQ(updater_.GetProfileString("PATH", "DATA", "/default/"), "/default/");

    ASSERT_TRUE(updater_.WriteProfileString("USER", "SAVE", "1"));
    ASSERT_TRUE(updater_.WriteProfileInt("USER", "ID", 42));
    EXPECT_EQ(updater_.GetProfileInt("USER", "SAVE", 9), 9);
    EXPECT_EQ(updater_.GetProfileString("USER", "ID", "none"), "none");

    ASSERT_TRUE(updater_.WriteProfileString("USER", "INFO", ""));
    EXPECT_EQ(updater_.GetProfileString("USER", "INFO", "default"), "");  // empty is a value
}

TEST_F(ProfileTest, BothCompanySpellingsReachTheSameKey) {
    Profile tray(store_, "Velmora", "TSKN_Waymark+");
    ASSERT_TRUE(updater_.WriteProfileInt("USER", "BIG", 2));
    ASSERT_TRUE(updater_.WriteProfileString("PATH", "INSTALL", "/opt/mapvale/"));
    EXPECT_EQ(tray.GetProfileInt("USER", "BIG", 0), 2);
    EXPECT_EQ(
        store_.GetString(SettingsRoot::kUser, "Software\\Velmora\\TSKN_Waymark+\\PATH", "INSTALL"),
        "/opt/mapvale/");

    // A second process with its own store object sees the same, and its writes come back.
    FileSettingsStore other_store(box_.path());
    Profile other(other_store, "Velmora", "TSKN_Waymark+");
    ASSERT_TRUE(other.WriteProfileInt("USER", "BIG", 0));
    EXPECT_EQ(updater_.GetProfileInt("USER", "BIG", 5), 0);

    const std::string file = Sandbox::Read(store_.FileOf(SettingsRoot::kUser));
    EXPECT_EQ(file.find("Velmora"), std::string::npos) << file;  // one key, first spelling
}

}  // namespace
}  // namespace mapvale::platform
