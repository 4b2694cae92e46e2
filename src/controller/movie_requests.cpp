#include "controller/movie_requests.h"

#include <algorithm>

namespace mapvale::controller {

namespace {

constexpr int kPieTop = 10;
constexpr int kPieMargin = 16;
constexpr int kPieMaxRadius = 150;

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace

std::string SetSizeProBarRequest(int value) {
    return "<invoke name=\"setSizeProBar\" returntype=\"xml\"><arguments><number>" + Number(value) +
           "</number></arguments></invoke>";
}

std::string SetStateRequest(std::string_view text, int percent, std::string_view speed) {
    return "<invoke name=\"setState\"returntype=\"xml\"><arguments><string>" + std::string(text) +
           "</string><number>" + Number(percent) + "</number><string>" + std::string(speed) +
           "</string></arguments></invoke>";
}

std::string SetRemainTimeRequest(std::string_view remaining) {
    return "<invoke name=\"setRemainTime\"returntype=\"xml\"><arguments><string>" +
           std::string(remaining) + "</string></arguments></invoke>";
}

std::string CallResizeRequest(int width) {
    return "<invoke name=\"callResize\"returntype=\"xml\"><arguments><number>" + Number(width) +
           "</number></arguments></invoke>";
}

std::string PieDrawCameraRequest(std::int64_t install_size, int radius) {
    return "<invoke name=\"pieDraw\" returntype=\"xml\"><arguments><string>설치용량</string>"
           "<string>" +
           Number(install_size) + "</string><number>" + Number(radius) +
           "</number></arguments></invoke>";
}

std::string PieDrawMapRequest(std::int64_t map, std::int64_t user, std::int64_t free, int radius) {
    return "<invoke name=\"pieDraw\" returntype=\"xml\"><arguments><string>지도,사용자,빈공간"
           "</string><string>" +
           Number(map) + "," + Number(user) + "," + Number(free) + "</string><number>" +
           Number(radius) + "</number></arguments></invoke>";
}

int PieRadius(int free_width, int height) {
    const int side = std::min(free_width, height - kPieTop);
    return std::clamp(side / 2 - kPieMargin, 0, kPieMaxRadius);
}

PiePlacement PlacePie(int list_width, int list_height, int columns_width) {
    PiePlacement pie;
    pie.x = std::max(columns_width, 0);
    pie.y = kPieTop;
    pie.width = std::max(list_width - pie.x, 0);
    pie.height = std::max(list_height - 2 * kPieTop, 0);
    pie.radius = PieRadius(pie.width, pie.height + kPieTop);
    return pie;
}

}  // namespace mapvale::controller
