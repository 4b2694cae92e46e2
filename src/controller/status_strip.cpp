#include "controller/status_strip.h"

#include <cstdio>

namespace mapvale::controller {

namespace {

constexpr std::uint32_t kDownloadFinished = 0xFFFFFFFFu;

bool SecondHalf(std::int64_t now) {
    const std::int64_t second = ((now % 10) + 10) % 10;
    return second >= 5;
}

bool VersionsEqual(const DeviceEntry& device, const CardInfo& card) {
    return card.recorded_version == device.server_map_version &&
           card.recorded_number == device.server_second_version;
}

StatusStrip Plain(std::string_view text, int percent) {
    return StatusStrip{std::string(text), percent, {}, {}};
}

StatusStrip IdleWithCard(const DeviceEntry& device, const CardInfo& card) {
    const bool same_folder = card.model_name == device.model_name;
    if (VersionsEqual(device, card)) {
        if (card.completion_mark == 1) {
            return Plain(
                same_folder ? "최신 버전입니다." : "다른 단말의 최신 버전이 설치되어 있습니다.",
                -1);
        }
        if (same_folder) {
            return Plain("이어 설치 대기 중입니다.", -1);
        }
    }
    return Plain("설치 대기 중입니다.", -1);
}

StatusStrip InstallingWithCard(const DeviceEntry& device, std::int64_t now) {
    const auto download_left = static_cast<std::uint32_t>(device.remaining_download_seconds);
    const auto copy_left = static_cast<std::uint32_t>(device.remaining_copy_seconds);
    StatusStrip strip{"설치 중 (4/4)", 0, {}, {}};
    std::uint32_t remaining = 0;
    if (download_left == kDownloadFinished || copy_left >= download_left) {
        remaining = copy_left;
        strip.percent = device.install_percent;
    } else {
        remaining = download_left;
        strip.percent = device.download_percent;
    }
    if (download_left == kDownloadFinished || SecondHalf(now)) {
        strip.speed = SpeedText("복사", device.copy_speed);
    } else {
        strip.speed = SpeedText("다운로드", device.download_speed);
    }
    strip.remaining = RemainingText(remaining, now);
    return strip;
}

}  // namespace

std::string SpeedText(std::string_view label, double kb_per_second) {
    char buffer[96];
    if (kb_per_second >= 1000) {
        std::snprintf(buffer, sizeof(buffer), "%.*s: %5.1f MB/S", static_cast<int>(label.size()),
                      label.data(), kb_per_second / 1024);
    } else {
        std::snprintf(buffer, sizeof(buffer), "%.*s: %5.1f KB/S", static_cast<int>(label.size()),
                      label.data(), kb_per_second);
    }
    return buffer;
}

std::string RemainingText(std::uint32_t seconds, std::int64_t now) {
    if (SecondHalf(now)) {
        return {};
    }
    const std::uint64_t total_minutes = seconds / 60 + 1;
    const std::uint64_t hours = total_minutes / 60;
    const std::uint64_t minutes = total_minutes % 60;
    if (hours != 0) {
        return "남은 시간 " + std::to_string(hours) + "시간 " + std::to_string(minutes) + "분";
    }
    return "남은 시간 " + std::to_string(minutes) + "분";
}

bool CardHasNewest(const DeviceEntry& device, const CardInfo& card) {
    return card.model_name == device.model_name && VersionsEqual(device, card) &&
           card.completion_mark == 1;
}

StatusStrip ComputeStatusStrip(const DeviceEntry* device, const CardInfo* card, std::int64_t now) {
    if (device == nullptr) {
        return Plain("단말기를 선택해 주세요.", -1);
    }
    if (card != nullptr) {
        switch (device->job_state) {
            case 1:
                return Plain("백업 중 (1/4)", device->install_percent);
            case 2:
                return Plain("삭제 중 (2/4)", device->install_percent);
            case 3:
                return Plain("복구 중 (3/4)", device->install_percent);
            case 4:
                return Plain("계산 중", 0);
            case 5:
                return InstallingWithCard(*device, now);
            case 6:
                return Plain("설치 완료 중입니다.", -1);
            default:
                return IdleWithCard(*device, *card);
        }
    }
    switch (device->job_state) {
        case 1:
        case 2:
        case 3:
        case 4:
            return Plain("계산 중", 0);
        case 5: {
            const auto download_left =
                static_cast<std::uint32_t>(device->remaining_download_seconds);
            const auto copy_left = static_cast<std::uint32_t>(device->remaining_copy_seconds);
            return StatusStrip{
                "다운로드 중", device->download_percent,
                SpeedText("다운로드", device->download_speed),
                RemainingText(download_left == kDownloadFinished ? copy_left : download_left, now)};
        }
        case 6:
            return Plain("완료 중", 0);
        default:
            return Plain("설치 대기 중입니다.", -1);
    }
}

}  // namespace mapvale::controller
