// The console's view of the settings: folders given for one run, and the status command that
// changes nothing.

#include "mapvale-cli/settings_overlay.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace mapvale::cli {
namespace {

using platform::SettingsRoot;

constexpr SettingsRoot kUser = SettingsRoot::kUser;
constexpr const char* kPath = "Software\\VELMORA\\TSKN_Waymark+\\PATH";
constexpr const char* kUserKey = "Software\\VELMORA\\TSKN_Waymark+\\USER";

class SettingsOverlayTest : public ::testing::Test {
protected:
    testing::Sandbox box_;
    platform::FileSettingsStore base_{box_.path()};
};

TEST_F(SettingsOverlayTest, OverriddenFolderReadsAsGivenAndIsNeverWritten) {
    base_.SetString(kUser, kPath, "DATA", "/home/me/maps/");
    OverlaySettingsStore overlay(base_, OverlaySettingsStore::Writes::kThrough);
    overlay.Override(kUser, kPath, "DATA", "/tmp/run/");
    // Keys and names compare as the registry's do.
    EXPECT_EQ(overlay.GetString(kUser, "software\\velmora\\tskn_waymark+\\\\path\\", "data"),
              "/tmp/run/");
    EXPECT_EQ(overlay.GetDword(kUser, kPath, "DATA"), std::nullopt);
    EXPECT_TRUE(overlay.SetString(kUser, kPath, "DATA", "/tmp/run/"));
    EXPECT_TRUE(overlay.DeleteValue(kUser, kPath, "DATA"));
    EXPECT_EQ(base_.GetString(kUser, kPath, "DATA"), "/home/me/maps/");
    // Everything else goes through.
    EXPECT_TRUE(overlay.SetString(kUser, kUserKey, "ID", "hong"));
    EXPECT_EQ(base_.GetString(kUser, kUserKey, "ID"), "hong");
    EXPECT_EQ(overlay.GetString(kUser, kPath, "INSTALL"), std::nullopt);
}

TEST_F(SettingsOverlayTest, InMemoryWritesAreSeenByThisRunOnly) {
    base_.SetDword(kUser, kUserKey, "SAVE", 1);
    base_.SetString(kUser, kUserKey, "ID", "kim");
    base_.SetDword(kUser, std::string(kUserKey) + "\\kim", "TRAFFIC", 1);
    OverlaySettingsStore overlay(base_, OverlaySettingsStore::Writes::kInMemory);

    EXPECT_TRUE(overlay.SetString(kUser, kUserKey, "ID", "hong"));
    EXPECT_TRUE(overlay.SetDword(kUser, kUserKey, "SAVE", 0));
    EXPECT_EQ(overlay.GetString(kUser, kUserKey, "ID"), "hong");
    EXPECT_EQ(overlay.GetDword(kUser, kUserKey, "SAVE"), 0u);
    // A value written with the other type reads as missing, as in the store.
    EXPECT_EQ(overlay.GetDword(kUser, kUserKey, "ID"), std::nullopt);

    EXPECT_TRUE(overlay.DeleteValue(kUser, kUserKey, "SAVE"));
    EXPECT_FALSE(overlay.DeleteValue(kUser, kUserKey, "SAVE"));
    EXPECT_EQ(overlay.GetDword(kUser, kUserKey, "SAVE"), std::nullopt);

    EXPECT_TRUE(overlay.DeleteKey(kUser, std::string(kUserKey) + "\\kim"));
    EXPECT_FALSE(overlay.KeyExists(kUser, std::string(kUserKey) + "\\kim"));
    EXPECT_EQ(overlay.GetDword(kUser, std::string(kUserKey) + "\\kim", "TRAFFIC"), std::nullopt);
    EXPECT_TRUE(overlay.SetDword(kUser, std::string(kUserKey) + "\\KIM", "TRAFFIC", 0));
    EXPECT_TRUE(overlay.KeyExists(kUser, std::string(kUserKey) + "\\kim"));
    EXPECT_EQ(overlay.GetDword(kUser, std::string(kUserKey) + "\\kim", "traffic"), 0u);

    // The store itself is as it was.
    EXPECT_EQ(base_.GetString(kUser, kUserKey, "ID"), "kim");
    EXPECT_EQ(base_.GetDword(kUser, kUserKey, "SAVE"), 1u);
    EXPECT_EQ(base_.GetDword(kUser, std::string(kUserKey) + "\\kim", "TRAFFIC"), 1u);
}

}  // namespace
}  // namespace mapvale::cli
