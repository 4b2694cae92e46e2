#include "app/uninstall_repair.h"

#include <gtest/gtest.h>

#include "app/constants.h"
#include "support/sandbox.h"

namespace mapvale::app {
namespace {

using platform::SettingsRoot;

class UninstallRepairTest : public ::testing::Test {
protected:
    UninstallRepairTest() : store_(box_.path() / "registry") {
        script_ = box_.Write("Info/setup.inx.bin", std::string("installer\0data\xFF", 15));
    }

    void Register(std::uint32_t version, const std::string& uninstall_command) {
        store_.SetDword(SettingsRoot::kMachine, product_key_, "Version", version);
        store_.SetString(SettingsRoot::kMachine, old_key_, "UninstallString", uninstall_command);
    }
    std::uint32_t Version() {
        return store_.GetDword(SettingsRoot::kMachine, product_key_, "Version").value_or(0);
    }
    std::string ScriptPath() {
        return box_.Path("ProgramFiles/InstallShield Installation Information/") +
               std::string(kProductGuid) + "/setup.inx";
    }
    void Repair() { RepairUninstallEntry(store_, box_.Path("ProgramFiles"), script_); }

    testing::Sandbox box_;
    platform::FileSettingsStore store_;
    std::string script_;
    const std::string product_key_ =
        std::string(kUninstallRoot) + "\\" + std::string(kProductGuid);
    const std::string old_key_ = std::string(kUninstallRoot) + "\\TSKN_Waymark+";
};

TEST_F(UninstallRepairTest, DesktopEntryIsRepairedOnce) {
    Register(0x01000000, "C:\\Users\\kim\\바탕 화면\\uninst.exe -f");
    Repair();
    EXPECT_EQ(Version(), 0x01010000u);
    EXPECT_EQ(store_.GetString(SettingsRoot::kMachine, product_key_, "DisplayVersion"),
              "1.01.0000");
    EXPECT_EQ(testing::Sandbox::Read(ScriptPath()), std::string("installer\0data\xFF", 15));

    // The raised version keeps it from running again.
    std::filesystem::remove(ScriptPath());
    Repair();
    EXPECT_FALSE(std::filesystem::exists(ScriptPath()));
}

TEST_F(UninstallRepairTest, DriveRootCommandCountsToo) {
    Register(0x01000000, "RunDll32 setup.dll -path D:\\");
    Repair();
    EXPECT_EQ(Version(), 0x01010000u);
}

TEST_F(UninstallRepairTest, NothingChangesWithoutTheOldSymptoms) {
    Register(0x01000000, "C:\\Program Files\\uninst.exe -f");
    Repair();
    EXPECT_EQ(Version(), 0x01000000u);
    Register(0x01010000, "C:\\Users\\kim\\바탕 화면\\uninst.exe");
    Repair();
    EXPECT_FALSE(store_.GetString(SettingsRoot::kMachine, product_key_, "DisplayVersion"));
    // A command too long for its buffer counts as absent.
    Register(0x01000000, std::string(300, 'x') + "바탕 화면");
    Repair();
    EXPECT_EQ(Version(), 0x01000000u);
    EXPECT_FALSE(std::filesystem::exists(ScriptPath()));
}

TEST_F(UninstallRepairTest, MissingScriptOrFolderStillRaisesTheVersion) {
    Register(0x01000000, "C:\\Users\\kim\\바탕 화면\\uninst.exe");
    RepairUninstallEntry(store_, "", box_.Path("nowhere.bin"));
    EXPECT_EQ(Version(), 0x01010000u);
}

TEST_F(UninstallRepairTest, NoProductKeyDoesNothing) {
    Repair();
    EXPECT_FALSE(store_.KeyExists(SettingsRoot::kMachine, product_key_));
}

}  // namespace
}  // namespace mapvale::app
