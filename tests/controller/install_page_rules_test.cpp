// The install page's rules: the card chart, the option page, the device rows and the refusals
// to go back to the wizard.

#include <gtest/gtest.h>

#include "controller/device_labels.h"
#include "controller/movie_requests.h"
#include "controller/option_page.h"
#include "controller/pie_chart.h"
#include "controller/wizard_return.h"

namespace mapvale::controller {
namespace {

TEST(PieChartTest, SlicesWithAndWithoutCardAndForCameraData) {
    DeviceEntry device;
    device.install_type = 2;
    device.installed_size = 3000u * 1024;
    CardInfo card;
    card.capacity_kb = 8000;
    card.user_data_kb = 1000;
    EXPECT_EQ(PieAmountsFor(device, &card), (PieAmounts{false, 3000, 1000, 4000}));
    EXPECT_EQ(PieAmountsFor(device, nullptr), (PieAmounts{false, 3000, 0, 0}));
    // A package larger than the card leaves no free slice rather than a negative one.
    card.capacity_kb = 2000;
    const PieAmounts too_big = PieAmountsFor(device, &card);
    EXPECT_EQ(too_big, (PieAmounts{false, 3000, 1000, 0}));
    EXPECT_EQ(PieDrawMapRequest(too_big.map, too_big.user, too_big.free, 134),
              "<invoke name=\"pieDraw\" returntype=\"xml\"><arguments><string>지도,사용자,빈공간"
              "</string><string>3000,1000,0</string><number>134</number></arguments></invoke>");
    device.install_type = 200;
    EXPECT_EQ(PieAmountsFor(device, &card), (PieAmounts{true, 3000, 0, 0}));
}

TEST(OptionPageTest, FolderByKindPageByType) {
    EXPECT_EQ(OptionPagePath(nullptr), "/orla/Waymark/InstallInfoPlus/Opt_Basic.html");
    DeviceEntry device;
    const std::pair<int, const char*> vehicle[] = {
        {0, "Opt_Basic.html"},  {1, "Opt_SD1G.html"},  {2, "Opt_SD2G.html"},  {4, "Opt_SD4G.html"},
        {100, "Opt_User.html"}, {200, "Opt_Cam.html"}, {3, "Opt_Basic.html"},
    };
    for (const auto& [type, page] : vehicle) {
        device.install_type = type;
        EXPECT_EQ(OptionPagePath(&device), std::string("/orla/Waymark/InstallInfoPlus/") + page);
    }
    device.kind = 2;
    device.sub_kind = 1;
    device.install_type = 2;
    EXPECT_EQ(OptionPagePath(&device), "/tarno/Waymark/InstallInfoPlus/Opt_SD2G_LOW.html");
    device.sub_kind = 2;
    EXPECT_EQ(OptionPagePath(&device), "/tarno/Waymark/InstallInfoPlus/Opt_SD2G_HIGH.html");
    device.kind = 1;
    EXPECT_EQ(OptionPagePath(&device), "/tarno/Waymark/InstallInfoPlus/Opt_SD2G.html");
}

TEST(DeviceLabelsTest, BrandPrefixes) {
    std::list<DeviceEntry> devices;
    EXPECT_EQ(DeviceListTexts(devices, "OV"), std::vector<std::string>{"제품을 등록해 주세요."});
    DeviceEntry vehicle;
    vehicle.caption = "HX100 <b>";
    DeviceEntry tarno;
    tarno.kind = 2;
    tarno.caption = "T5";
    DeviceEntry orla;
    orla.kind = 1;
    orla.caption = "O3";
    devices = {vehicle, tarno, orla};
    EXPECT_EQ(DeviceListTexts(devices, "OV"),
              (std::vector<std::string>{"[Orvin] HX100 <b>", "[Tarno] T5", "[Orla] O3"}));
    EXPECT_EQ(DeviceLabel(vehicle, "DL"), "[Dalmar] HX100 <b>");
    EXPECT_EQ(DeviceLabel(vehicle, "XX"), "HX100 <b>");
}

TEST(WizardReturnTest, RefusalsInOrder) {
    EXPECT_EQ(WizardReturnRefusal(nullptr, nullptr, false), "\n메모리카드를 삽입/선택 해주세요.\n");
    CardInfo card;
    card.capacity_kb = 1024u * 1024;  // 1 GB
    card.model_name = "HX100";
    EXPECT_EQ(WizardReturnRefusal(nullptr, &card, false), "");

    DeviceEntry device;
    device.kind = 2;
    device.sub_kind = 2;
    device.device_class = "P";
    device.model_name = "HX100";
    device.install_type = 100;
    EXPECT_EQ(WizardReturnRefusal(&device, nullptr, false), "\n메모리카드를 삽입/선택 해주세요.\n");
    // Each refusal shadows the later ones; lift them one after another.
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "PDA 버전에서는 간편설치를 지원하지 않습니다.");
    device.device_class.clear();
    card.completion_mark = 1;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false), "최신 버전이므로 설치가 필요없습니다.");
    device.busy = 1;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "\nTARNO(고해상도)는 1G 간편설치를 \n\n지원하지 않습니다.");
    device.kind = 1;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "\nORLA(V5.0)은 1G 간편설치를 \n\n지원하지 않습니다.");
    card.capacity_kb = 2u * 1024 * 1024;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "\n사용자설치는 간편설치로\n\n지원되지 않습니다.");
    device.install_type = 200;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "\n간편설치는 전체다운로드가 기본입니다.\n\n안전운행 데이터만 업데이트 하시고자 하는 "
              "경우는\n\n현재의 선택을 유지해서 진행해 주십시오");
    device.install_type = 2;
    device.needed_kb = 3u * 1024 * 1024;  // more than the card holds
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false),
              "\n설치가능한 공간이 부족하여\n\n간편설치로 이동할 수 없습니다.\n");
    device.job_state = 5;  // the space is asked only while no job runs
    EXPECT_EQ(WizardReturnRefusal(&device, &card, true), "");
    device.job_state = 0;
    device.needed_kb = 1000;
    EXPECT_EQ(WizardReturnRefusal(&device, &card, false), "");
}

}  // namespace
}  // namespace mapvale::controller
