// The content list's check marks: which clicks count, fixed files, exclusive size pairs and the
// colour rows, and how the marks become the custom job.

#include "controller/check_marks.h"

#include <gtest/gtest.h>

namespace mapvale::controller {
namespace {

DeviceEntry Custom(std::initializer_list<const char*> names) {
    DeviceEntry device;
    device.install_type = 100;
    for (const char* name : names) {
        FileEntry file;
        file.file_name = name;
        file.selected = 0;
        device.files.push_back(file);
    }
    return device;
}

TEST(CheckMarksTest, ClicksCountOnlyForTheCustomInstall) {
    for (const int type : {0, 1, 2, 4, 200}) {
        DeviceEntry device = Custom({"a.map"});
        device.install_type = type;
        EXPECT_FALSE(ClickCheckMark(device, 0)) << type;
        EXPECT_EQ(device.files[0].selected, 0) << type;
    }
    DeviceEntry device = Custom({"a.map"});
    EXPECT_TRUE(ClickCheckMark(device, 0));
    EXPECT_EQ(device.files[0].selected, 1);
    EXPECT_TRUE(ClickCheckMark(device, 0));
    EXPECT_EQ(device.files[0].selected, 0);
    EXPECT_FALSE(ClickCheckMark(device, 5));  // no such row
}

TEST(CheckMarksTest, FixedFilesKeepTheirMark) {
    DeviceEntry device = Custom({"korea.gth", "TG.VB", "Korea.GTG"});
    for (std::size_t i = 0; i < device.files.size(); ++i) {
        device.files[i].selected = 1;
        EXPECT_FALSE(ClickCheckMark(device, i)) << device.files[i].file_name;
        EXPECT_EQ(device.files[i].selected, 1);
    }
    EXPECT_FALSE(IsFixedRow("korea.gad"));
}

TEST(CheckMarksTest, SizePairsAreExclusiveWithoutRegardToCase) {
    DeviceEntry device = Custom({"ND_1GB.VB", "nd_2gb.vb", "Korea_1GB.gpi", "KOREA_2GB.GPI"});
    device.files[0].selected = 1;
    ASSERT_TRUE(ClickCheckMark(device, 1));
    EXPECT_EQ(device.files[1].selected, 1);
    EXPECT_EQ(device.files[0].selected, 0);
    ASSERT_TRUE(ClickCheckMark(device, 0));
    EXPECT_EQ(device.files[0].selected, 1);
    EXPECT_EQ(device.files[1].selected, 0);
    // Unchecking one does not check the other.
    ASSERT_TRUE(ClickCheckMark(device, 0));
    EXPECT_EQ(device.files[1].selected, 0);

    device.files[3].selected = 1;
    ASSERT_TRUE(ClickCheckMark(device, 2));
    EXPECT_EQ(device.files[3].selected, 0);
    EXPECT_EQ(ExclusivePartner("korea.gad"), std::nullopt);
}

TEST(CheckMarksTest, ColourRowsAndMarksBecomeTheJob) {
    EXPECT_EQ(ColourRowType("지도색상(일반색상)"), 1);
    EXPECT_EQ(ColourRowType("지도색상(진한색상)"), 2);
    EXPECT_EQ(ColourRowType("지도"), 0);

    DeviceEntry device = Custom({"a.map", "b.map"});
    device.files[0].selected = 1;
    device.files[1].status = FileStatus::kDownloaded;
    ApplyCheckMarks(device);
    EXPECT_EQ(device.files[0].status.load(), FileStatus::kToFetch);
    EXPECT_EQ(device.files[1].status.load(), FileStatus::kNotInJob);

    device.install_type = 2;  // a variant install chooses its files itself
    device.files[1].status = FileStatus::kDownloaded;
    ApplyCheckMarks(device);
    EXPECT_EQ(device.files[1].status.load(), FileStatus::kDownloaded);
}

}  // namespace
}  // namespace mapvale::controller
