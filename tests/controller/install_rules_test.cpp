#include "controller/install_rules.h"

#include <gtest/gtest.h>

#include "catalog/download_job.h"
#include "controller/banners.h"
#include "controller/traffic_reminder.h"

namespace mapvale::controller {
namespace {

DeviceEntry Device(std::int64_t gb1, std::int64_t gb2, std::int64_t gb4) {
    DeviceEntry device;
    device.kind = 8;
    device.variant_totals = {gb1, gb2, gb4};
    return device;
}

CardInfo Card(std::uint32_t capacity_kb, std::uint32_t free_kb, std::uint32_t map_kb,
              std::uint32_t user_kb) {
    CardInfo card;
    card.capacity_kb = capacity_kb;
    card.free_kb = free_kb;
    card.map_data_kb = map_kb;
    card.user_data_kb = user_kb;
    return card;
}

TEST(InstallRulesTest, LargestVariantThatFitsTheCard) {
    DeviceEntry device = Device(900LL << 20, 1800LL << 20, 3600LL << 20);
    EXPECT_EQ(ChooseInstallType(nullptr, nullptr), kInstallNone);
    EXPECT_EQ(ChooseInstallType(&device, nullptr), kInstall2Gb);
    device.install_type = 4;
    EXPECT_EQ(ChooseInstallType(&device, nullptr), 4);

    // Backup off: room is capacity minus user data.
    CardInfo card = Card(4000000, 100, 0, 200000);
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstall4Gb);
    card.user_data_kb = 500000;
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstall2Gb);
    card = Card(1000000, 0, 0, 0);
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstall1Gb);
    // A unit without a 1 GB variant.
    device.kind = 2;
    device.sub_kind = 2;
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstallNo1GbVariant);
    // Backup on: room is map data plus free; "fits" needs 100 KB to spare.
    device = Device(900LL << 20, 1800LL << 20, 3600LL << 20);
    device.backup_option = 1;
    card = Card(4000000, 921600 + 100 - 10, 10, 0);
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstallNone);
    card.free_kb += 1;
    EXPECT_EQ(ChooseInstallType(&device, &card), kInstall1Gb);
}

TEST(InstallRulesTest, CardSpaceValues) {
    DeviceEntry device;
    device.needed_kb = 100000;
    CardInfo card = Card(200000, 0, 0, 0);
    EXPECT_EQ(CheckCardSpace(nullptr, &card, false, false), -1);
    EXPECT_EQ(CheckCardSpace(&device, &card, true, false), -1);
    EXPECT_EQ(CheckCardSpace(&device, nullptr, false, false), -3);
    EXPECT_EQ(CheckCardSpace(&device, nullptr, false, true), 1);
    EXPECT_EQ(CheckCardSpace(&device, &card, false, false), 1);
    card.capacity_kb = 149999;
    EXPECT_EQ(CheckCardSpace(&device, &card, false, false), 0);
    card.capacity_kb = 99999;
    EXPECT_EQ(CheckCardSpace(&device, &card, false, false), -2);
    device.install_type = kInstallCameraOnly;
    EXPECT_EQ(CheckCardSpace(&device, &card, false, false), 1);
}

TEST(InstallRulesTest, JobOptionsFromTheChoices) {
    DeviceEntry device;
    device.format_option = 1;
    device.backup_option = 1;
    JobOptions o = OptionsFor(device, true, false);
    EXPECT_EQ(o.install_mode, 1);
    EXPECT_EQ(o.backup_kind, 2);
    EXPECT_EQ(o.restore_kind, 2);
    device.backup_option = 0;
    EXPECT_EQ(OptionsFor(device, true, false).restore_kind, 4);
    o = OptionsFor(device, true, true);  // resume never formats
    EXPECT_EQ(o.install_mode + o.backup_kind + o.restore_kind, 0);
    device.install_type = kInstallCameraOnly;
    o = OptionsFor(device, true, false);
    EXPECT_EQ(o.install_mode + o.backup_kind + o.restore_kind, 0);
}

TEST(InstallRulesTest, PcSpaceEqualIsNotEnoughAndTheReportAddsUp) {
    DeviceEntry device;
    const std::uint64_t required = RequiredPcKb(device, 2048000ull * 1024);
    EXPECT_EQ(required, 2048000u + 1024000u);
    device.install_type = kInstallCameraOnly;
    EXPECT_EQ(RequiredPcKb(device, 1024 * 1000), 5000u);

    EXPECT_FALSE(CheckPcSpace(required * 1024, 0, required).enough);
    EXPECT_TRUE(CheckPcSpace(required * 1024 + 1024, 0, required).enough);

    const PcSpace small = CheckPcSpace(300 * 1024 * 1024, 0, 500 * 1024);
    EXPECT_NE(small.report.find("설치작업에 필요한 용량          : [500 MBytes]\n"),
              std::string::npos);
    EXPECT_NE(small.report.find("현재 확보된 하드디스크 용량 : [300 MBytes]\n"), std::string::npos);
    EXPECT_NE(small.report.find("부족한(확보가 필요한) 용량   : [ 200 MBytes]\n\n"),
              std::string::npos);
    const PcSpace big = CheckPcSpace(1ull << 30, 0, 3 * 1024 * 1024);
    EXPECT_NE(big.report.find("[3.00 GBytes]"), std::string::npos);
    EXPECT_NE(big.report.find("[1.00 GBytes]"), std::string::npos);
    EXPECT_NE(big.report.find("[2.00 GBytes]"), std::string::npos);
    // A backup larger than the free space: the requirement includes the backup.
    const PcSpace backup = CheckPcSpace(100 * 1024 * 1024, 200 * 1024, 100 * 1024);
    EXPECT_NE(backup.report.find("[300 MBytes]"), std::string::npos);
    EXPECT_NE(backup.report.find("[ 200 MBytes]"), std::string::npos);

    CardInfo card = Card(1000, 100, 600, 50);
    EXPECT_EQ(BackupKb(1, &card), 900u);
    EXPECT_EQ(BackupKb(2, &card), 350u);
    EXPECT_EQ(BackupKb(3, &card), 50u);
    EXPECT_EQ(BackupKb(0, &card), 0u);
}

TEST(InstallRulesTest, JobErrorTexts) {
    EXPECT_EQ(JobErrorMessage(1, 2),
              "지도 설치에 실패하였습니다.\n[복사 중 오류가 발생했습니다.]\n");
    EXPECT_EQ(JobErrorMessage(301, 6),
              "지도 설치에 실패하였습니다.\n[다운로드 중 오류가 발생했습니다.(오류코드 : 6)]\n");
    // A span that failed on a full disk shows the same code in the window.
    EXPECT_EQ(JobErrorMessage(301, catalog::kFailSpanDownload | catalog::kFailDiskFull),
              JobErrorMessage(301, 6));
    EXPECT_EQ(JobErrorMessage(77, -3), "지도 설치에 실패하였습니다.\n[기타 오류 77 -3]\n");
}

TEST(TrafficReminderTest, MonthlyRule) {
    auto day = [](int y, int m, int d) {
        platform::CivilTime t;
        t.year = y;
        t.month = m;
        t.day = d;
        return t;
    };
    EXPECT_TRUE(TrafficReminderDue(2024, 5, 20, day(2024, 6, 20)));
    EXPECT_FALSE(TrafficReminderDue(2024, 5, 20, day(2024, 6, 19)));
    EXPECT_TRUE(TrafficReminderDue(2024, 5, 20, day(2025, 1, 2)));
    EXPECT_TRUE(TrafficReminderDue(2024, 5, 20, day(2024, 7, 1)));
    EXPECT_FALSE(TrafficReminderDue(2024, 5, 20, day(2024, 5, 31)));
    EXPECT_TRUE(TrafficReminderDue(2024, 5, 1, day(2024, 5, 31)));
    EXPECT_FALSE(TrafficReminderDue(0, 0, 0, day(2030, 1, 1)));
}

TEST(BannerTest, LinesCommentsAndRotation) {
    const char* file =
        "S,30,http://a/1\r\nS,1,http://a/ignored\r\nX,30,http://x\r\n# S,30,http://comment\r\n"
        "\r\nE,20, http://e/1 \r\nSE,5,http://a/2\r\nE,3,http://e/2?x=1,2";
    const BannerLists with_end = ParseBannerFile(std::string(file) + "\r\n", "kim");
    const BannerLists lists = ParseBannerFile(file, "kim");
    ASSERT_EQ(lists.s.size(), 2u);
    ASSERT_EQ(lists.e.size(), 2u);
    EXPECT_EQ(with_end.s.size(), lists.s.size());
    EXPECT_EQ(with_end.e.size(), lists.e.size());
    EXPECT_EQ(lists.s[0].url, "http://a/1?userid=kim");
    EXPECT_EQ(lists.s[0].seconds, 30);
    EXPECT_EQ(lists.e[0].url, "http://e/1?userid=kim");
    EXPECT_EQ(lists.e[1].url, "http://e/2?x=1,2?userid=kim");
    EXPECT_EQ(lists.start_url, "http://a/1?userid=kim");

    // Served with LF alone at the line ends, the same file gives the same lists.
    std::string lf_only;
    for (const char c : std::string_view(file)) {
        if (c != '\r') {
            lf_only += c;
        }
    }
    for (const std::string& text : {lf_only, lf_only + "\n"}) {
        const BannerLists lf = ParseBannerFile(text, "kim");
        ASSERT_EQ(lf.s.size(), lists.s.size());
        ASSERT_EQ(lf.e.size(), lists.e.size());
        EXPECT_EQ(lf.s[1].url, lists.s[1].url);
        EXPECT_EQ(lf.e[1].url, lists.e[1].url);
        EXPECT_EQ(lf.start_url, lists.start_url);
    }

    EXPECT_EQ(NextBanner(lists.s, lists.s[0].url), &lists.s[1]);
    EXPECT_EQ(NextBanner(lists.s, lists.s[1].url), &lists.s[0]);  // wraps
    EXPECT_EQ(NextBanner(lists.s, "unknown"), &lists.s[0]);
    EXPECT_EQ(NextBanner({}, "x"), nullptr);
}

}  // namespace
}  // namespace mapvale::controller
