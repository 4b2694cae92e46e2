// The easy-install wizard's words for the controller's state: device rows, drive rows, the
// option page's status line, the countdown page's summary, the progress page's line and figures.

#include "controller/wizard_lines.h"

#include <gtest/gtest.h>

#include "controller/install_rules.h"
#include "model/messages.h"

namespace mapvale::controller {
namespace {

DeviceEntry Device(std::int32_t kind, std::string model, std::string caption) {
    DeviceEntry device;
    device.kind = kind;
    device.model_name = std::move(model);
    device.caption = std::move(caption);
    return device;
}

CardInfo Card(char letter, std::uint32_t capacity_kb) {
    CardInfo card;
    card.letter = letter;
    card.capacity_kb = capacity_kb;
    return card;
}

TEST(WizardLinesTest, DeviceRowsCarryTheirLinesPrefix) {
    const DeviceEntry vehicle = Device(8, "HX100", "그랜드 HX");
    EXPECT_EQ(WizardDeviceLabel(vehicle, "OV"), "[Orvin] 그랜드 HX");
    EXPECT_EQ(WizardDeviceLabel(vehicle, "DL"), "[Dalmar] 그랜드 HX");
    // A vehicle of an account without either brand flag.
    EXPECT_EQ(WizardDeviceLabel(vehicle, ""), "[DL] 그랜드 HX");
    EXPECT_EQ(WizardDeviceLabel(vehicle, "XX"), "[DL] 그랜드 HX");
    // ORLA's prefix has no blank after it.
    EXPECT_EQ(WizardDeviceLabel(Device(1, "HS200", "포켓"), "OV"), "[Orla]포켓");
    EXPECT_EQ(WizardDeviceLabel(Device(2, "HT300", "투어러"), "DL"), "[Tarno] 투어러");
    // Other lines: the name alone; no caption: the model name.
    EXPECT_EQ(WizardDeviceLabel(Device(4, "SP10", "스위프트"), "OV"), "스위프트");
    EXPECT_EQ(WizardDeviceLabel(Device(8, "HX100", ""), "OV"), "[Orvin] HX100");
    // Server text passes through unchanged (the widgets show it as plain text).
    EXPECT_EQ(WizardDeviceLabel(Device(8, "X", "<b>굵게</b>"), "OV"), "[Orvin] <b>굵게</b>");
}

TEST(WizardLinesTest, DriveRowsEndWithTheHardDiskAloneWithoutACard) {
    EXPECT_EQ(WizardDriveRows({}), std::vector<std::string>{"[하드 디스크에만 다운로드]"});
    const std::map<char, CardInfo> drives{{'F', Card('F', 900 * 1024)},
                                          {'E', Card('E', 1536 * 1024)}};
    EXPECT_EQ(WizardDriveRows(drives),
              (std::vector<std::string>{"E: 드라이브 ( 1.5 GBytes)", "F: 드라이브 (900.0 MBytes)",
                                        "[하드 디스크에만 다운로드]"}));
}

TEST(WizardLinesTest, OptionStatusLineNamesWhatIsMissingOrThePackage) {
    const DeviceEntry device = Device(8, "HX100", "그랜드 HX");
    EXPECT_EQ(OptionStatusLine(nullptr, true, 4), "* 설치 단말기를 선택해 주세요.");
    EXPECT_EQ(OptionStatusLine(&device, false, 4), "* 설치 드라이브를 선택해 주세요.");
    EXPECT_EQ(OptionStatusLine(&device, true, 0), "* 설치할 수 없습니다. 옵션 변경을 시도하세요.");
    EXPECT_EQ(OptionStatusLine(&device, true, 1), "* 1G 패키지를 설치합니다.");
    EXPECT_EQ(OptionStatusLine(&device, true, 4), "* 4G 패키지를 설치합니다.");
    // The special packages never read "100G" or "200G".
    EXPECT_EQ(OptionStatusLine(&device, true, 100), "* 사용자선택 패키지 설치");
    EXPECT_EQ(OptionStatusLine(&device, true, 200), "* 안전운행 데이터 설치");
}

TEST(WizardLinesTest, SummaryNamesDriveDeviceAndPackage) {
    const DeviceEntry device = Device(8, "HX100", "그랜드 HX");
    const CardInfo card = Card('E', 8 * 1024 * 1024);
    EXPECT_EQ(SummaryLine(nullptr, &card, 4), "* 설치 단말기를 선택해 주세요.");
    EXPECT_EQ(SummaryLine(&device, nullptr, 4), "* 설치 드라이브를 선택해 주세요.");
    EXPECT_EQ(SummaryLine(&device, &card, 0),
              "* 선택된(입력된) 드라이브의 용량이 작아 설치할 수 없습니다.");
    EXPECT_EQ(SummaryLine(&device, &card, 4), "E드라이브, 그랜드 HX, 전체 패키지 설치");
    EXPECT_EQ(SummaryLine(&device, &card, 2), "E드라이브, 그랜드 HX, 2G 패키지 설치");
    EXPECT_EQ(SummaryLine(&device, &card, 100), "E드라이브, 그랜드 HX, 사용자선택 패키지 설치");
    EXPECT_EQ(SummaryLine(&device, &card, 200), "E드라이브, 그랜드 HX, 안전운행 데이터 설치");
    // A caption with format characters stays as it is.
    const DeviceEntry odd = Device(8, "X", "%d%s");
    EXPECT_EQ(SummaryLine(&odd, &card, 2), "E드라이브, %d%s, 2G 패키지 설치");
}

TEST(WizardLinesTest, PackageCodeKeepsCameraDataElseFitsTheCard) {
    DeviceEntry device = Device(8, "HX100", "");
    device.variant_totals = {900LL << 20, 1900LL << 20, 3900LL << 20};
    device.format_option = 1;
    CardInfo card = Card('E', 1536 * 1024);
    card.free_kb = card.capacity_kb;
    EXPECT_EQ(WizardPackageCode(&device, &card), kInstall1Gb);
    EXPECT_EQ(WizardPackageCode(nullptr, &card), kInstallNone);
    device.install_type = kInstallCameraOnly;
    EXPECT_EQ(WizardPackageCode(&device, &card), kInstallCameraOnly);
}

TEST(WizardLinesTest, ProgressLineFollowsTheLastKindOfProgress) {
    EXPECT_EQ(ProgressLine(kMsgCopyFileProgress, "MAP01.dat", "MAP02.zip"),
              "MAP01.dat 파일 복사중....");
    EXPECT_EQ(ProgressLine(kMsgCopyFileProgress, "SPOT.exe", ""), " 압축해제중(수십분소용예상)");
    EXPECT_EQ(ProgressLine(kMsgDownloadFileProgress, "MAP01.dat", "MAP02.zip"),
              "MAP02.zip 파일 다운로드 중....");
    // A kind without its file name, or nothing yet.
    EXPECT_EQ(ProgressLine(kMsgCopyFileProgress, "", "MAP02.zip"), "설치 준비중입니다.");
    EXPECT_EQ(ProgressLine(kMsgDownloadFileProgress, "MAP01.dat", ""), "설치 준비중입니다.");
    EXPECT_EQ(ProgressLine(0, "MAP01.dat", "MAP02.zip"), "설치 준비중입니다.");
}

TEST(WizardLinesTest, ProgressFiguresGiveBothBarsAndTheRemainingTime) {
    EXPECT_EQ(ComputeWizardProgress(nullptr, true), (WizardProgress{1000, 2000, 0}));
    DeviceEntry device = Device(8, "HX100", "");
    device.download_percent = 40;
    device.install_percent = 7;
    device.remaining_download_seconds = 600;
    device.remaining_copy_seconds = 300;
    // Not yet running (backup, format): bars, but no time.
    device.job_state = 2;
    EXPECT_EQ(ComputeWizardProgress(&device, true), (WizardProgress{1040, 2007, 0}));
    device.job_state = 5;
    EXPECT_EQ(ComputeWizardProgress(&device, true).clock_seconds, 600);
    device.remaining_copy_seconds = 900;
    EXPECT_EQ(ComputeWizardProgress(&device, true).clock_seconds, 900);
    // Without a card the copy's time never counts, until the download is over.
    EXPECT_EQ(ComputeWizardProgress(&device, false).clock_seconds, 600);
    device.remaining_download_seconds = -1;
    device.download_percent = 100;
    EXPECT_EQ(ComputeWizardProgress(&device, false), (WizardProgress{1100, 2007, 900}));
}

}  // namespace
}  // namespace mapvale::controller
