#include "card/drive_text.h"

#include <gtest/gtest.h>

namespace mapvale::card {
namespace {

TEST(DriveTextTest, CapacityPicksTheUnit) {
    EXPECT_EQ(DriveText('E', 1024 * 1024), "E: 드라이브 (1024.0 MBytes)");  // exactly 1024 MB
    EXPECT_EQ(DriveText('E', 1025 * 1024), "E: 드라이브 ( 1.0 GBytes)");
    EXPECT_EQ(DriveText('F', 7782400), "F: 드라이브 ( 7.4 GBytes)");
    EXPECT_EQ(DriveText('G', 614400), "G: 드라이브 (600.0 MBytes)");
    EXPECT_EQ(DriveText('H', 1073741824), "H: 드라이브 (1024.0 GBytes)");  // 1,048,576 MB
    EXPECT_EQ(DriveText('H', 0xFFFFFFFFu), "H: 드라이브 ( 4.0 TBytes)");
}

TEST(DriveTextTest, ListEndsWithTheHardDiskRowOrAsksForADrive) {
    EXPECT_EQ(DriveListTexts({}), (std::vector<std::string>{"드라이브를 넣어 주세요."}));
    std::map<char, CardInfo> drives;
    drives['F'].capacity_kb = 2 * 1024 * 1024;
    drives['E'].capacity_kb = 800 * 1024;
    EXPECT_EQ(DriveListTexts(drives),
              (std::vector<std::string>{"E: 드라이브 (800.0 MBytes)", "F: 드라이브 ( 2.0 GBytes)",
                                        "[하드 디스크에만 다운로드]"}));
}

}  // namespace
}  // namespace mapvale::card
