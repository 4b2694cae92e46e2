#include "catalog/download_space.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "catalog/file_selection.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace fs = std::filesystem;

std::uint64_t RequiredDownloadKb(const DeviceEntry& device) {
    const std::uint64_t package_kb =
        device.download_size > 0 ? static_cast<std::uint64_t>(device.download_size) / 1024 : 0;
    if (device.install_type == kInstallTypeCameraData) {
        return package_kb * kCameraDataFactor;
    }
    return package_kb + kDownloadReserveKb;
}

std::optional<std::uint64_t> FreeBytesFor(platform::Volumes& volumes, std::string_view folder) {
    const std::string path = platform::NormalizeFolder(folder);
    if (const auto volume = volumes.ForPath(path)) {
        if (const auto space = volumes.Space(volume->letter)) {
            return space->available_bytes;
        }
        // The folder's own volume does not answer; another file system's room says nothing.
        return std::nullopt;
    }
    // The download folder need not exist yet: ask for the folder it will be made in.
    std::error_code error;
    for (fs::path probe = path; !probe.empty(); probe = probe.parent_path()) {
        if (fs::is_directory(probe, error)) {
            const fs::space_info info = fs::space(probe, error);
            if (error) {
                return std::nullopt;
            }
            return static_cast<std::uint64_t>(info.available);
        }
        if (probe == probe.parent_path()) {
            break;
        }
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
