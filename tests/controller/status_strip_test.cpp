// The status line of a running job: the main screen's stage texts, percentages, speeds and
// remaining times.

#include "controller/status_strip.h"

#include <gtest/gtest.h>

namespace mapvale::controller {
namespace {

// Seconds since 1970 whose second modulo 10 is 0 (first half: remaining time shown, download
// speed) and 7 (second half: no remaining time, copy speed).
constexpr std::int64_t kFirstHalf = 1715331600;
constexpr std::int64_t kSecondHalf = kFirstHalf + 7;

DeviceEntry Device() {
    DeviceEntry device;
    device.model_name = "HX100";
    device.server_map_version = 20240115;
    device.server_second_version = 2024012;
    return device;
}

CardInfo Card(std::int32_t version, std::int32_t number, int mark, std::string model = "HX100") {
    CardInfo card;
    card.letter = 'E';
    card.model_name = std::move(model);
    card.recorded_version = version;
    card.recorded_number = number;
    card.completion_mark = mark;
    return card;
}

TEST(StatusStripTest, IdleTextsCompareTheCardWithTheNewestPackage) {
    const DeviceEntry device = Device();
    EXPECT_EQ(ComputeStatusStrip(nullptr, nullptr, kFirstHalf).text, "단말기를 선택해 주세요.");
    const CardInfo newest = Card(20240115, 2024012, 1);
    EXPECT_EQ(ComputeStatusStrip(&device, &newest, kFirstHalf),
              (StatusStrip{"최신 버전입니다.", -1, "", ""}));
    EXPECT_TRUE(CardHasNewest(device, newest));
    const CardInfo other_unit = Card(20240115, 2024012, 1, "KB20");
    EXPECT_EQ(ComputeStatusStrip(&device, &other_unit, kFirstHalf).text,
              "다른 단말의 최신 버전이 설치되어 있습니다.");
    EXPECT_FALSE(CardHasNewest(device, other_unit));
    const CardInfo interrupted = Card(20240115, 2024012, 0);
    EXPECT_EQ(ComputeStatusStrip(&device, &interrupted, kFirstHalf).text,
              "이어 설치 대기 중입니다.");
    EXPECT_FALSE(CardHasNewest(device, interrupted));
    const CardInfo older = Card(20231015, 2024012, 1);
    EXPECT_EQ(ComputeStatusStrip(&device, &older, kFirstHalf).text, "설치 대기 중입니다.");
    EXPECT_EQ(ComputeStatusStrip(&device, nullptr, kFirstHalf).text, "설치 대기 중입니다.");
}

TEST(StatusStripTest, StagesBeforeTheInstall) {
    DeviceEntry device = Device();
    device.install_percent = 37;
    device.download_percent = 80;
    const CardInfo card = Card(0, 0, 0);
    const std::pair<int, StatusStrip> with_card[] = {
        {1, {"백업 중 (1/4)", 37, "", ""}},       {2, {"삭제 중 (2/4)", 37, "", ""}},
        {3, {"복구 중 (3/4)", 37, "", ""}},       {4, {"계산 중", 0, "", ""}},
        {6, {"설치 완료 중입니다.", -1, "", ""}},
    };
    for (const auto& [state, strip] : with_card) {
        device.job_state = state;
        EXPECT_EQ(ComputeStatusStrip(&device, &card, kFirstHalf), strip) << state;
    }
    for (const int state : {1, 2, 3, 4}) {
        device.job_state = state;
        EXPECT_EQ(ComputeStatusStrip(&device, nullptr, kFirstHalf),
                  (StatusStrip{"계산 중", 0, "", ""}));
    }
    device.job_state = 6;
    EXPECT_EQ(ComputeStatusStrip(&device, nullptr, kFirstHalf),
              (StatusStrip{"완료 중", 0, "", ""}));
}

TEST(StatusStripTest, InstallStageFollowsWhicheverPartTakesLonger) {
    DeviceEntry device = Device();
    device.job_state = 5;
    device.download_percent = 40;
    device.install_percent = 20;
    device.download_speed = 2048;
    device.copy_speed = 500;
    const CardInfo card = Card(0, 0, 0);

    // The download has longer to go: its percent and time; the speeds take turns.
    device.remaining_download_seconds = 600;
    device.remaining_copy_seconds = 120;
    EXPECT_EQ(ComputeStatusStrip(&device, &card, kFirstHalf),
              (StatusStrip{"설치 중 (4/4)", 40, "다운로드:   2.0 MB/S", "남은 시간 11분"}));
    EXPECT_EQ(ComputeStatusStrip(&device, &card, kSecondHalf),
              (StatusStrip{"설치 중 (4/4)", 40, "복사: 500.0 KB/S", ""}));
    // The copy has as long or longer: its percent and time.
    device.remaining_copy_seconds = 600;
    EXPECT_EQ(ComputeStatusStrip(&device, &card, kFirstHalf).percent, 20);
    // After the download (-1) only the copy counts, whatever the second.
    device.remaining_download_seconds = -1;
    device.remaining_copy_seconds = 59;
    EXPECT_EQ(ComputeStatusStrip(&device, &card, kFirstHalf),
              (StatusStrip{"설치 중 (4/4)", 20, "복사: 500.0 KB/S", "남은 시간 1분"}));

    // Without a card: the download, or the copy time once the download reports -1.
    device.remaining_download_seconds = 3600;
    EXPECT_EQ(ComputeStatusStrip(&device, nullptr, kFirstHalf),
              (StatusStrip{"다운로드 중", 40, "다운로드:   2.0 MB/S", "남은 시간 1시간 1분"}));
    device.remaining_download_seconds = -1;
    EXPECT_EQ(ComputeStatusStrip(&device, nullptr, kFirstHalf).remaining, "남은 시간 1분");
}

TEST(StatusStripTest, SpeedAndTimeTexts) {
    EXPECT_EQ(SpeedText("복사", 999.9), "복사: 999.9 KB/S");
    EXPECT_EQ(SpeedText("복사", 1000), "복사:   1.0 MB/S");
    EXPECT_EQ(SpeedText("다운로드", 0), "다운로드:   0.0 KB/S");
    EXPECT_EQ(RemainingText(0, kFirstHalf), "남은 시간 1분");
    EXPECT_EQ(RemainingText(3599, kFirstHalf), "남은 시간 1시간 0분");
    EXPECT_EQ(RemainingText(3600, kFirstHalf + 4), "남은 시간 1시간 1분");
    EXPECT_EQ(RemainingText(3600, kFirstHalf + 5), "");
    // The largest remaining time a worker can report does not overflow.
    EXPECT_EQ(RemainingText(0xFFFFFFFEu, kFirstHalf), "남은 시간 1193046시간 29분");
}

}  // namespace
}  // namespace mapvale::controller
