// The vehicle media table: which medium updates a model, and what the option page says.

#include "controller/vehicle_media.h"

#include <gtest/gtest.h>

#include <set>

#include "mapvale-servers/world.h"
#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::controller {
namespace {

TEST(VehicleMediaTest, LinesNameTheMediumAndBadLinesAreSkipped) {
    const auto table = ParseVehicleMedia(
        "\xEF\xBB\xBF# model|medium\r\n"
        "HX100|SD\r\n"
        " 그랜드 DX | USB \n"
        "KC30|USBDVD\n"
        "LX9|DVD\n"
        "\n"
        "NOBAR\n"
        "|SD\n"
        "ZZ|FLOPPY\n"
        "HX100|DVD\n"
        "LAST|SD");
    EXPECT_EQ(table.size(), 5u);
    EXPECT_EQ(FindMedium(table, "HX100"), Medium::kSd);  // the first line for a model counts
    EXPECT_EQ(FindMedium(table, "그랜드 DX"), Medium::kUsb);
    EXPECT_EQ(FindMedium(table, "KC30"), Medium::kUsbDvd);
    EXPECT_EQ(FindMedium(table, "LX9"), Medium::kDvd);
    EXPECT_EQ(FindMedium(table, "LAST"), Medium::kSd);
    EXPECT_EQ(FindMedium(table, "ZZ"), std::nullopt);
    EXPECT_EQ(FindMedium(table, "NOBAR"), std::nullopt);
    EXPECT_TRUE(ParseVehicleMedia("").empty());
}

TEST(VehicleMediaTest, EachMediumHasItsMessageAndOnlyDvdRefusesTheCardOptions) {
    EXPECT_EQ(MediumMessage(Medium::kSd), "대상 차종은 SD로 업데이트 가능합니다.");
    EXPECT_EQ(MediumMessage(Medium::kUsb), "대상 차종은 USB로 업데이트 가능합니다.");
    EXPECT_EQ(MediumMessage(Medium::kUsbDvd), "대상 차종은 USB DVD 모두 저장 가능합니다.");
    EXPECT_EQ(MediumMessage(Medium::kDvd),
              "대상 차종은 DVD로 업데이트 가능합니다.\n\n(하드디스크로만 다운로드 가능합니다.)");
    EXPECT_TRUE(MediumAllowsCardOptions(Medium::kSd));
    EXPECT_TRUE(MediumAllowsCardOptions(Medium::kUsbDvd));
    EXPECT_FALSE(MediumAllowsCardOptions(Medium::kDvd));
}

// The demo world's program folder lists one of its vehicles for every medium; the card unit HX100
// keeps its card options.
TEST(VehicleMediaTest, TheWorldsTableMeetsEveryMedium) {
    testing::Sandbox box;
    servers::WorldOptions options;
    options.folder = box.Path("world");
    std::string error;
    ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
    const auto text = platform::ReadWholeFile(servers::WorldLayout(options.folder).VehicleMedia());
    ASSERT_TRUE(text.has_value());
    const auto table = ParseVehicleMedia(*text);
    std::set<Medium> media;
    for (const auto& [model, medium] : table) {
        media.insert(medium);
    }
    EXPECT_EQ(media, (std::set<Medium>{Medium::kSd, Medium::kUsb, Medium::kUsbDvd, Medium::kDvd}));
    ASSERT_EQ(table.count("HX100"), 1u);
    EXPECT_TRUE(MediumAllowsCardOptions(table.at("HX100")));
}

}  // namespace
}  // namespace mapvale::controller
