#include "controller/job_progress.h"

#include <algorithm>
#include <limits>

namespace mapvale::controller {

namespace {

std::int32_t SecondsLeft(double remaining_kb, double kb_per_second) {
    if (kb_per_second <= 0) {
        return 0;
    }
    const double seconds = remaining_kb / kb_per_second;
    return static_cast<std::int32_t>(
        std::min(seconds, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

std::uint16_t Percent(double part, double whole) {
    if (whole <= 0) {
        return 0;
    }
    return static_cast<std::uint16_t>(std::clamp(part / whole * 100.0, 0.0, 100.0));
}

}  // namespace

bool OnDownloadProgress(DeviceEntry& device, ProgressTracker& tracker, bool has_target,
                        bool folder_matches_card, std::uint64_t kb_so_far, std::int64_t kb_total,
                        std::int64_t now) {
    if (device.download_start_time == 0) {
        tracker.download_base = kb_so_far;
        device.download_percent = 0;
        device.download_start_time = now;
        tracker.download_last_tick = now;
        return false;
    }
    if (now == tracker.download_last_tick) {
        return false;
    }
    tracker.download_last_tick = now;
    const std::int64_t elapsed = now - device.excluded_seconds.load() - device.download_start_time;
    if (elapsed >= 3) {
        const bool preparing_card = has_target && device.job_state >= 1 && device.job_state <= 3;
        if (!preparing_card) {
            if (!has_target || folder_matches_card || device.download_percent > 0) {
                device.job_state = 5;
            }
            const double done = static_cast<double>(kb_so_far);
            const double total = static_cast<double>(kb_total);
            device.download_speed =
                (done - static_cast<double>(tracker.download_base)) / static_cast<double>(elapsed);
            device.remaining_download_seconds =
                SecondsLeft(total - std::min(done, total), device.download_speed);
            device.download_percent = Percent(done, total);
        }
    } else if ((device.install_percent > 10 && elapsed < 2) || device.download_percent == 0) {
        device.download_speed = 0;
        device.remaining_download_seconds = 0;
        device.download_percent = 0;
    }
    return true;
}

bool OnCopyProgress(DeviceEntry& device, ProgressTracker& tracker, std::uint64_t kb_done,
                    std::int64_t kb_total, std::int64_t now) {
    if (device.copy_start_time == 0 || kb_done == 0) {
        device.install_percent = 0;
        device.copy_start_time = now;
        tracker.copy_last_tick = now;
        tracker.copy_base = kb_done;
        return false;
    }
    if (now == tracker.copy_last_tick) {
        return false;
    }
    tracker.copy_last_tick = now;
    const std::int64_t elapsed = now - device.copy_start_time;
    if (elapsed >= 3) {
        device.job_state = 5;
        const double done = static_cast<double>(kb_done);
        device.copy_speed =
            (done - static_cast<double>(tracker.copy_base)) / static_cast<double>(elapsed);
        // A slow copy is waiting for the download: its own estimate would mislead.
        device.remaining_copy_seconds =
            device.copy_speed >= 1024
                ? SecondsLeft(static_cast<double>(kb_total) - done, device.copy_speed)
                : device.remaining_download_seconds;
        device.install_percent = Percent(done, static_cast<double>(kb_total));
    } else {
        device.copy_speed = 0;
        device.remaining_copy_seconds = 0;
        device.install_percent = 0;
    }
    return true;
}

}  // namespace mapvale::controller
