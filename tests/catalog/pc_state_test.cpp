#include "catalog/pc_state.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/version_file.h"
#include "catalog_fixtures.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

namespace fs = std::filesystem;
using mapvale::testing::Sandbox;
using testing::Device;
using testing::Entry;

class PcStateTest : public ::testing::Test {
  protected:
    PcStateTest() : device_(Device("PKG", 1)) {
        device_.files.push_back(Entry("map.bin", "Maps", 8, 2));
        device_.files.push_back(Entry("loose.bin", "", 3, 4));  // kind 1: Swiftpath_OrLa/
        device_.files.push_back(Entry("big.bin", "Maps", 100, 6));
        device_.files[2].archive_name = "big.zip";
        device_.files[2].part_count = 3;
        folder_ = sandbox_.Path("PKG");
    }

    bool Exists(std::string_view relative) const {
        return fs::exists(fs::symlink_status(sandbox_.Path(relative)));
    }

    Sandbox sandbox_;
    DeviceEntry device_;
    std::string folder_;
};

TEST_F(PcStateTest, ComparesTheVersionFileWithTheFilesOnDisk) {
    sandbox_.Write("PKG/PKG.ver",
                   "*|1|2|PKG|label|1|0|0\n"
                   "Maps|map.bin|1|0\n"         // right size, older version
                   "|loose.bin|4|3\n"           // in the kind-1 default folder
                   "Maps|big.bin|6|0\n"         // only its first span is there
                   "Maps|unlisted.bin|1|0\n");  // the package no longer lists it
    sandbox_.Write("PKG/Maps/map.bin", std::string(8, 'm'));
    sandbox_.Write("PKG/Swiftpath_OrLa/loose.bin", "lll");
    sandbox_.Write("PKG/Maps/big001.zip", "span");

    ASSERT_EQ(ReadPcState(device_, folder_), 1);
    const FileEntry& map = device_.files[0];
    EXPECT_EQ(map.on_pc, 1);
    EXPECT_EQ(map.needs_download, 1);
    EXPECT_EQ(map.downloaded_version, -1);
    const FileEntry& loose = device_.files[1];
    EXPECT_EQ(loose.needs_download, 0);
    EXPECT_EQ(loose.downloaded_version, 4);
    EXPECT_EQ(loose.option_value, 3);
    const FileEntry& big = device_.files[2];
    EXPECT_EQ(big.on_pc, 1);
    EXPECT_EQ(big.partial.load(), 1);
    EXPECT_EQ(big.needs_download, 1);
}

TEST_F(PcStateTest, CleanUpDeletesStrayFilesButSparesBackups) {
    sandbox_.Write("PKG/PKG.ver", "*|1|2|PKG|label|1|0|1\nMaps|map.bin|2|0\nMaps|big.bin|6|0\n");
    sandbox_.Write("PKG/Maps/map.bin", std::string(8, 'm'));
    sandbox_.Write("PKG/Maps/big001.zip", "spans of the current version");
    sandbox_.Write("PKG/Maps/big002.zip", "spans of the current version");
    sandbox_.Write("PKG/Maps/big.000", "joined volume left over");
    sandbox_.Write("PKG/Swiftpath_OrLa/loose.bin", "wrong size");
    sandbox_.Write("PKG/stray.txt", "not in the package");
    sandbox_.Write("PKG/Maps/Deep/stray.dat", "nor this");
    sandbox_.Write("PKG/OTHER.VER", "version files stay");
    sandbox_.Write("PKG/Backup/Swiftpath_OrLa/UserData/MyVoice/v.wav", "user data");
    sandbox_.Write("PKG/Backup_240115093012/Swiftpath_OrLa/UserData/x", "user data");
    sandbox_.Write("PKG/Maps/old_backup_2/backup_1/x", "user data");
    sandbox_.Write("outside/keep.bin", "outside the package folder");
    fs::create_directory_symlink(sandbox_.Path("outside"), sandbox_.Path("PKG/link"));

    ASSERT_EQ(ReadPcState(device_, folder_), 1);
    ScanPackageFolder(device_, folder_, ScanMode::kMark);
    EXPECT_TRUE(Exists("PKG/stray.txt"));  // marking deletes nothing

    ScanPackageFolder(device_, folder_, ScanMode::kCleanUp);
    EXPECT_TRUE(Exists("PKG/Maps/map.bin"));
    EXPECT_TRUE(Exists("PKG/Maps/big001.zip"));
    EXPECT_TRUE(Exists("PKG/Maps/big002.zip"));
    EXPECT_TRUE(Exists("PKG/PKG.ver"));
    EXPECT_TRUE(Exists("PKG/OTHER.VER"));
    EXPECT_FALSE(Exists("PKG/Maps/big.000"));
    EXPECT_FALSE(Exists("PKG/Swiftpath_OrLa/loose.bin"));
    EXPECT_FALSE(Exists("PKG/stray.txt"));
    EXPECT_FALSE(Exists("PKG/Maps/Deep/stray.dat"));
    EXPECT_TRUE(Exists("PKG/Backup/Swiftpath_OrLa/UserData/MyVoice/v.wav"));
    EXPECT_TRUE(Exists("PKG/Backup_240115093012/Swiftpath_OrLa/UserData/x"));
    EXPECT_TRUE(Exists("PKG/Maps/old_backup_2/backup_1/x"));
    EXPECT_TRUE(Exists("outside/keep.bin"));
    EXPECT_TRUE(Exists("PKG/link"));

    EXPECT_EQ(device_.files[0].on_pc, 1);
    EXPECT_EQ(device_.files[0].needs_download, 0);
    EXPECT_EQ(device_.files[2].partial.load(), 1);
}

TEST_F(PcStateTest, CleanUpDeletesCopiesOfAnotherVersion) {
    // No version file: nothing on the PC has a known version.
    sandbox_.Write("PKG/Maps/map.bin", std::string(8, 'm'));
    sandbox_.Write("PKG/Maps/big001.zip", "span");
    sandbox_.Write("PKG/Maps/big004.zip", "not a span: the archive has three");
    ASSERT_EQ(ReadPcState(device_, folder_), 0);
    ScanPackageFolder(device_, folder_, ScanMode::kCleanUp);
    EXPECT_FALSE(Exists("PKG/Maps/map.bin"));
    EXPECT_FALSE(Exists("PKG/Maps/big001.zip"));
    EXPECT_FALSE(Exists("PKG/Maps/big004.zip"));
    EXPECT_EQ(device_.files[0].on_pc, 1);  // it was there when the scan found it
    EXPECT_EQ(device_.files[0].needs_download, 1);
}

TEST_F(PcStateTest, AnExtractedFileNamedLikeAZipIsNotASpan) {
    device_.files.push_back(Entry("fonts.zip", "Maps", 5, 1));
    sandbox_.Write("PKG/PKG.ver", "*|1|2|PKG|label|1|0|1\nMaps|fonts.zip|1|0\n");
    sandbox_.Write("PKG/Maps/fonts.zip", "fonts");
    ASSERT_EQ(ReadPcState(device_, folder_), 1);
    ScanPackageFolder(device_, folder_, ScanMode::kCleanUp);
    EXPECT_TRUE(Exists("PKG/Maps/fonts.zip"));
    EXPECT_EQ(device_.files[3].needs_download, 0);
}

TEST_F(PcStateTest, AMissingPackageFolderIsNoError) {
    ScanPackageFolder(device_, sandbox_.Path("missing"), ScanMode::kCleanUp);
    EXPECT_EQ(ReadPcState(device_, sandbox_.Path("missing")), 0);
}

}  // namespace
}  // namespace mapvale::catalog
