// The settings dialog's download-folder rules: the shown text, the free-space text, the checks
// by drive kind and the recommendation.

#include "controller/data_folder_rules.h"

#include <gtest/gtest.h>

#include "support/listed_volumes.h"

namespace mapvale::controller {
namespace {

using mapvale::testing::ListedVolumes;

constexpr std::uint64_t kGb = 1024ull * 1024 * 1024;

TEST(DataFolderRulesTest, ShownFolderDropsOnlyTheTrailingSeparator) {
    EXPECT_EQ(ShownDataFolder("/data/maps/"), "/data/maps");
    EXPECT_EQ(ShownDataFolder("\\data\\maps\\"), "/data/maps");
    EXPECT_EQ(ShownDataFolder("/"), "/");
}

TEST(DataFolderRulesTest, FreeSpaceOfTheFoldersVolume) {
    ListedVolumes volumes;
    volumes.Add('C', "/", platform::VolumeKind::kFixed, 2048 * kGb);
    volumes.Add('D', "/mnt/data/", platform::VolumeKind::kFixed, std::nullopt);
    EXPECT_EQ(FreeSpaceText(FreeGb(volumes, "/home/me")), " 2.0 TBytes");
    EXPECT_EQ(FreeSpaceText(FreeGb(volumes, "/mnt/data/maps")), "알수없음");
    EXPECT_EQ(FreeSpaceText(FreeGb(volumes, "/mnt/data")), "알수없음");
    EXPECT_EQ(FreeSpaceText(1024.0), "1024.0 GBytes");
    EXPECT_EQ(FreeSpaceText(7.9), " 7.9 GBytes");
    EXPECT_EQ(FreeSpaceText(0.0), " 0.0 GBytes");
}

TEST(DataFolderRulesTest, VerdictByDriveKindAndText) {
    platform::Volume volume;
    volume.root = "/";
    volume.kind = platform::VolumeKind::kFixed;
    EXPECT_EQ(CheckDataFolder("/home/me", volume), FolderVerdict::kAccept);
    volume.kind = platform::VolumeKind::kRemote;
    EXPECT_EQ(CheckDataFolder("/net/share", volume), FolderVerdict::kAskRemote);
    for (const auto kind : {platform::VolumeKind::kCdRom, platform::VolumeKind::kRemovable,
                            platform::VolumeKind::kRamDisk}) {
        volume.kind = kind;
        EXPECT_EQ(CheckDataFolder("/media/cd", volume), FolderVerdict::kRefuse);
    }
    volume.kind = platform::VolumeKind::kFixed;
    EXPECT_EQ(CheckDataFolder("", volume), FolderVerdict::kRefuse);
    EXPECT_EQ(CheckDataFolder("maps/here", volume), FolderVerdict::kRefuse);
    EXPECT_EQ(CheckDataFolder("/home/me", std::nullopt), FolderVerdict::kRefuse);
}

TEST(DataFolderRulesTest, RecommendationBelowEightGb) {
    EXPECT_TRUE(RecommendOtherDrive(7.9));
    EXPECT_FALSE(RecommendOtherDrive(8.0));
    EXPECT_TRUE(RecommendOtherDrive(std::nullopt));
}

}  // namespace
}  // namespace mapvale::controller
