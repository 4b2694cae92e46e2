// Choosing the device and the card from the command line, and what the console says about them.

#include <gtest/gtest.h>

#include <filesystem>

#include "mapvale-cli/card_report.h"
#include "mapvale-cli/selection.h"
#include "support/sandbox.h"

namespace mapvale::cli {
namespace {

constexpr std::int64_t kFirstHalf = 1715331600;

DeviceEntry Device(std::int32_t kind, std::string model, std::string caption) {
    DeviceEntry device;
    device.kind = kind;
    device.model_name = std::move(model);
    device.caption = std::move(caption);
    device.server_map_version = 20240115;
    device.server_second_version = 2024012;
    device.server_version_label = "2024.01";
    // 440 KB in every variant.
    device.variant_totals = {450560, 450560, 450560};
    return device;
}

CardInfo Card(char letter, std::string root, std::uint32_t capacity_kb, std::uint32_t free_kb) {
    CardInfo card;
    card.letter = letter;
    card.root = std::move(root);
    card.capacity_kb = capacity_kb;
    card.free_kb = free_kb;
    card.drive_kind = DriveKind::kRemovable;
    return card;
}

TEST(SelectionTest, FindsTheDeviceByModelCaptionOrNumber) {
    std::list<DeviceEntry> devices = {Device(8, "HX100", "그랜드 HX"), Device(1, "HS200", "HX100"),
                                      Device(2, "HT300", "투어러 HT")};
    EXPECT_EQ(FindDevice(devices, "hx100"), &devices.front());  // the model wins over a caption
    EXPECT_EQ(FindDevice(devices, "투어러 HT"), &devices.back());
    EXPECT_EQ(FindDevice(devices, " 2 "), &*std::next(devices.begin()));
    EXPECT_EQ(FindDevice(devices, "0"), nullptr);
    EXPECT_EQ(FindDevice(devices, "4"), nullptr);
    EXPECT_EQ(FindDevice(devices, "2x"), nullptr);
    EXPECT_EQ(FindDevice(devices, ""), nullptr);

    CardInfo card;
    card.model_name = "HS200";
    EXPECT_EQ(DeviceForCard(devices, card), &*std::next(devices.begin()));
    card.model_name.clear();
    EXPECT_EQ(DeviceForCard(devices, card), nullptr);
}

TEST(SelectionTest, FindsTheCardByLetterOrFolder) {
    testing::Sandbox box;
    std::filesystem::create_directories(box.Path("cards/one"));
    const std::map<char, CardInfo> drives = {
        {'E', Card('E', box.Path("cards/one") + "/", 2000000, 100)},
        {'V', Card('V', "/media/other/", 2000000, 100)}};
    for (const char* name : {"E", "e", "E:", "e:/", "E:\\"}) {
        EXPECT_EQ(FindCard(drives, name), 'E') << name;
    }
    EXPECT_EQ(FindCard(drives, "F"), std::nullopt);
    EXPECT_EQ(FindCard(drives, box.Path("cards/one")), 'E');
    EXPECT_EQ(FindCard(drives, box.Path("cards/../cards/one/")), 'E');
    EXPECT_EQ(FindCard(drives, box.Path("cards")), std::nullopt);
}

TEST(SelectionTest, TheWizardFormatsCardsButNotHardDisks) {
    CardInfo card = Card('E', "/e/", 8 * 1024 * 1024, 0);
    EXPECT_TRUE(DefaultFormatChoice(card).format);
    EXPECT_TRUE(DefaultFormatChoice(card).backup);
    card.capacity_kb = 0x1000001;  // above 16 GB
    EXPECT_FALSE(DefaultFormatChoice(card).format);
    card.capacity_kb = 0x1000000;
    card.drive_kind = DriveKind::kHardDisk;
    EXPECT_FALSE(DefaultFormatChoice(card).format);
}

TEST(CardReportTest, LabelsAndSummariesAsTheWizardWordsThem) {
    EXPECT_EQ(DeviceLabel(Device(8, "HX100", "그랜드 HX"), "OV"), "[Orvin] 그랜드 HX (HX100)");
    EXPECT_EQ(DeviceLabel(Device(8, "KA10", "알파 KA"), "DL"), "[Dalmar] 알파 KA (KA10)");
    EXPECT_EQ(DeviceLabel(Device(8, "KA10", ""), ""), "[DL] KA10 (KA10)");
    EXPECT_EQ(DeviceLabel(Device(1, "HS200", "포켓"), "OV"), "[Orla]포켓 (HS200)");
    EXPECT_EQ(DeviceLabel(Device(2, "HT300", "투어러"), "OV"), "[Tarno] 투어러 (HT300)");

    DeviceEntry device = Device(8, "HX100", "그랜드 HX");
    const CardInfo card = Card('V', "/v/", 1048576, 1000000);
    EXPECT_EQ(SummaryLine(nullptr, &card), "* 설치 단말기를 선택해 주세요.");
    EXPECT_EQ(SummaryLine(&device, nullptr), "* 설치 드라이브를 선택해 주세요.");
    const std::pair<int, std::string> lines[] = {
        {4, "V드라이브, 그랜드 HX, 전체 패키지 설치"},
        {2, "V드라이브, 그랜드 HX, 2G 패키지 설치"},
        {100, "V드라이브, 그랜드 HX, 사용자선택 패키지 설치"},
        {200, "V드라이브, 그랜드 HX, 안전운행 데이터 설치"},
        {0, "* 선택된(입력된) 드라이브의 용량이 작아 설치할 수 없습니다."},
    };
    for (const auto& [type, line] : lines) {
        device.install_type = type;
        EXPECT_EQ(SummaryLine(&device, &card), line) << type;
    }
}

TEST(CardReportTest, StatusOfACardWithAndWithoutItsDevice) {
    const DeviceEntry device = Device(8, "HX100", "그랜드 HX");
    CardInfo card = Card('V', "/v/", 1048576, 1000000);
    card.model_name = "HX100";
    card.recorded_version = 20231015;
    card.recorded_text = "2023.10";
    card.completion_mark = 1;
    EXPECT_EQ(CardReport(card, &device, "OV", kFirstHalf),
              (std::vector<std::string>{
                  "V: 드라이브 (1024.0 MBytes)", "  카드의 패키지: HX100 2023.10 (설치 완료)",
                  "  맞는 단말기: [Orvin] 그랜드 HX (HX100)",
                  "  최신 패키지: HX100 2024.01, 전체 패키지", "  상태: 설치 대기 중입니다."}));

    // No room left with the backup the wizard starts with: nothing fits.
    card.free_kb = 50;
    card.recorded_version = 20240115;
    card.recorded_number = 2024012;
    card.completion_mark = 0;
    const auto small = CardReport(card, &device, "OV", kFirstHalf);
    ASSERT_EQ(small.size(), 5u);
    EXPECT_EQ(small[1], "  카드의 패키지: HX100 2023.10 (설치 미완료)");
    EXPECT_EQ(small[3], "  최신 패키지: HX100 2024.01, 맞는 패키지 없음(카드 용량 부족)");
    EXPECT_EQ(small[4], "  상태: 이어 설치 대기 중입니다.");

    EXPECT_EQ(CardReport(card, nullptr, "OV", kFirstHalf).back(),
              "  이 계정에 카드의 단말기가 없습니다.");
    card.model_name.clear();
    EXPECT_EQ(CardReport(card, nullptr, "OV", kFirstHalf).back(),
              "  카드에 설치된 패키지가 없습니다.");
}

}  // namespace
}  // namespace mapvale::cli
