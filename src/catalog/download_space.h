#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/device_entry.h"
#include "platform/clock.h"
#include "platform/volumes.h"

namespace mapvale::catalog {

// The room a package download needs on the PC: its download size, and beside it either four
// more times that (camera data only, install type 200, whose archives unpack to several times
// their size) or a fixed reserve for the extracted files.
inline constexpr std::uint64_t kDownloadReserveKb = 1024000;
inline constexpr int kCameraDataFactor = 5;

// How often an unanswered free-space question is asked again, and how long apart.
inline constexpr int kFreeSpaceRetries = 5;
inline constexpr std::chrono::milliseconds kFreeSpaceRetryWait{250};

// KB needed for the device's package (download size as SelectFiles last computed it).
std::uint64_t RequiredDownloadKb(const DeviceEntry& device);

// Bytes this user may still write where `folder` is (Volumes::SpaceAt: the folder's own file
// system, also when the volume list does not show it, as for a tmpfs or a bind mount). The one
// rule of every free-space check on the PC: the controller's, the download job's and the
// install job's. Nothing when the folder's file system does not answer.
std::optional<std::uint64_t> FreeBytesFor(platform::Volumes& volumes, std::string_view folder);

// True when the free KB at `folder` are more than RequiredDownloadKb (equal is not enough). An
// unanswered question is asked again up to kFreeSpaceRetries times, kFreeSpaceRetryWait apart on
// `sleeper`; a volume that never answers has no room. Runs on the caller's thread.
bool HasRoomForDownload(const DeviceEntry& device, std::string_view folder,
                        platform::Volumes& volumes, platform::Sleeper& sleeper);

}  // namespace mapvale::catalog
