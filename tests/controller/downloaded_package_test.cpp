// Whether the newest package is already where the wizard's user points it: on the card or in the
// download folder.

#include "controller/downloaded_package.h"

#include <gtest/gtest.h>

#include "support/sandbox.h"

namespace mapvale::controller {
namespace {

DeviceEntry Newest() {
    DeviceEntry device;
    device.model_name = "HX100";
    device.server_map_version = 20240115;
    device.server_second_version = 2024012;
    return device;
}

TEST(DownloadedPackageTest, ACardCountsOnlyWithTheSamePackageFinished) {
    const DeviceEntry device = Newest();
    CardInfo card;
    card.model_name = "HX100";
    card.recorded_version = 20240115;
    card.recorded_number = 2024012;
    card.completion_mark = 1;
    EXPECT_TRUE(NewestPackageAlreadyThere(device, &card, "/nowhere/"));
    card.completion_mark = 0;  // the last install did not finish
    EXPECT_FALSE(NewestPackageAlreadyThere(device, &card, "/nowhere/"));
    card.completion_mark = 1;
    card.recorded_number = 2024011;
    EXPECT_FALSE(NewestPackageAlreadyThere(device, &card, "/nowhere/"));
    card.recorded_number = 2024012;
    card.model_name = "HX200";
    EXPECT_FALSE(NewestPackageAlreadyThere(device, &card, "/nowhere/"));
}

TEST(DownloadedPackageTest, TheHardDiskCountsByItsVersionFile) {
    testing::Sandbox box;
    const std::string data = box.Path() + "/";
    DeviceEntry device = Newest();
    // No file: nothing there.
    EXPECT_FALSE(NewestPackageAlreadyThere(device, nullptr, data));
    box.Write("HX100/HX100.ver", "*|20240115|2024012|HX100|2024.01|1|0|1\nMAP.dat|1\n");
    EXPECT_TRUE(NewestPackageAlreadyThere(device, nullptr, data));
    // Field 7 is 0: the download did not finish.
    box.Write("HX100/HX100.ver", "*|20240115|2024012|HX100|2024.01|1|0|0\n");
    EXPECT_FALSE(NewestPackageAlreadyThere(device, nullptr, data));
    // Another package's file, or older versions.
    box.Write("HX100/HX100.ver", "*|20240115|2024012|HX200|2024.01|1|0|1\n");
    EXPECT_FALSE(NewestPackageAlreadyThere(device, nullptr, data));
    box.Write("HX100/HX100.ver", "*|20231201|2024012|HX100|2023.12|1|0|1\n");
    EXPECT_FALSE(NewestPackageAlreadyThere(device, nullptr, data));
    // A package name from the server that is no plain folder name reads nothing.
    device.model_name = "../HX100";
    EXPECT_FALSE(NewestPackageAlreadyThere(device, nullptr, data));
}

}  // namespace
}  // namespace mapvale::controller
