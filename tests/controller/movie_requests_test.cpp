#include "controller/movie_requests.h"

#include <gtest/gtest.h>

namespace mapvale::controller {
namespace {

TEST(MovieRequests, StringsAreTheMoviesOwnByteForByte) {
    EXPECT_EQ(SetSizeProBarRequest(1042),
              "<invoke name=\"setSizeProBar\" returntype=\"xml\"><arguments><number>1042</number>"
              "</arguments></invoke>");
    // No blank before returntype in these three: the movies must take them as they are.
    EXPECT_EQ(SetStateRequest("다운로드 중입니다.", -1, ""),
              "<invoke name=\"setState\"returntype=\"xml\"><arguments><string>다운로드 중입니다."
              "</string><number>-1</number><string></string></arguments></invoke>");
    EXPECT_EQ(SetRemainTimeRequest("남은 시간 3분"),
              "<invoke name=\"setRemainTime\"returntype=\"xml\"><arguments><string>남은 시간 3분"
              "</string></arguments></invoke>");
    EXPECT_EQ(CallResizeRequest(600),
              "<invoke name=\"callResize\"returntype=\"xml\"><arguments><number>600</number>"
              "</arguments></invoke>");
    EXPECT_EQ(PieDrawCameraRequest(12345, 80),
              "<invoke name=\"pieDraw\" returntype=\"xml\"><arguments><string>설치용량</string>"
              "<string>12345</string><number>80</number></arguments></invoke>");
    EXPECT_EQ(PieDrawMapRequest(3000000, 0, -5, 134),
              "<invoke name=\"pieDraw\" returntype=\"xml\"><arguments><string>지도,사용자,빈공간"
              "</string><string>3000000,0,-5</string><number>134</number></arguments></invoke>");
}

TEST(MovieRequests, PieRadiusHalvesTheSmallerSideLessMarginCapped) {
    EXPECT_EQ(PieRadius(300, 310), 134);
    EXPECT_EQ(PieRadius(500, 310), 134);  // the height less the top gap is the smaller side
    EXPECT_EQ(PieRadius(400, 410), 150);  // 184 capped
    EXPECT_EQ(PieRadius(33, 400), 0);
    EXPECT_EQ(PieRadius(10, 5), 0);  // never negative
    EXPECT_EQ(PieRadius(-40, -40), 0);
}

TEST(MovieRequests, PieSitsRightOfTheColumnsBetweenTheTopAndBottomGaps) {
    EXPECT_EQ(PlacePie(700, 330, 400), (PiePlacement{400, 10, 300, 310, 134}));
    // The height less both gaps is the smaller side: the whole chart fits.
    EXPECT_EQ(PlacePie(800, 258, 405), (PiePlacement{405, 10, 395, 238, 103}));
    // Columns wider than the list leave no room: an empty rectangle and nothing drawn.
    EXPECT_EQ(PlacePie(300, 200, 350), (PiePlacement{350, 10, 0, 180, 0}));
}

}  // namespace
}  // namespace mapvale::controller
