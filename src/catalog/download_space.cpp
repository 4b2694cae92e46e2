#include "catalog/download_space.h"

#include "catalog/file_selection.h"

namespace mapvale::catalog {

std::uint64_t RequiredDownloadKb(const DeviceEntry& device) {
    const std::uint64_t package_kb =
        device.download_size > 0 ? static_cast<std::uint64_t>(device.download_size) / 1024 : 0;
    if (device.install_type == kInstallTypeCameraData) {
        return package_kb * kCameraDataFactor;
    }
    return package_kb + kDownloadReserveKb;
}

std::optional<std::uint64_t> FreeBytesFor(platform::Volumes& volumes, std::string_view folder) {
    if (const auto space = volumes.SpaceAt(folder)) {
        return space->available_bytes;
    }
    return std::nullopt;
}

bool HasRoomForDownload(const DeviceEntry& device, std::string_view folder,
                        platform::Volumes& volumes, platform::Sleeper& sleeper) {
    std::optional<std::uint64_t> free_bytes = FreeBytesFor(volumes, folder);
    for (int retry = 0; !free_bytes && retry < kFreeSpaceRetries; ++retry) {
        sleeper.Sleep(kFreeSpaceRetryWait);
        free_bytes = FreeBytesFor(volumes, folder);
    }
    return free_bytes && *free_bytes / 1024 > RequiredDownloadKb(device);
}

}  // namespace mapvale::catalog
