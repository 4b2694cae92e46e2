#pragma once

#include <cstdint>
#include <string>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::controller {

// Install types: which package variant fits a card.
inline constexpr int kInstallNone = 0;
inline constexpr int kInstall1Gb = 1;
inline constexpr int kInstall2Gb = 2;
inline constexpr int kInstall4Gb = 4;
inline constexpr int kInstallNo1GbVariant = 100;
inline constexpr int kInstallCameraOnly = 200;

// The variant of the device's package that fits the card (amounts in KB); `card` may be null
// (no card: the device's own type unless it is 0 or 100, else 2).
int ChooseInstallType(const DeviceEntry* device, const CardInfo* card);

// The quick space check of the screens: -1 no device or a job running; -3 no card and no main
// screen; 1 no card with the main screen; 1 a camera-data package; -2 the card is too small;
// 0 less than 50000 KB to spare; 1 enough room.
int CheckCardSpace(const DeviceEntry* device, const CardInfo* card, bool job_running,
                   bool main_screen_exists);

// What the install job is told to do.
struct JobOptions {
    int install_mode = 0;  // 0 no format, 1 format
    int backup_kind = 0;   // 0 nothing, 1 whole card root, 2 all but the product folder + user data
    int restore_kind = 0;  // 0 nothing, 1 whole card root, 2 as backup kind 2, 4 nothing
};

// The options for a job from the device's format and backup choices.
JobOptions OptionsFor(const DeviceEntry& device, bool has_target, bool resume);

// Whether a job of `device` with a target card installs on it: vehicle and TARNO units do;
// ORLA units only download, card or not.
bool InstallsOnCard(const DeviceEntry& device);

// Room the download needs on the PC, in KB: five times the package for camera data, else the
// package plus 1,024,000 KB for unpacking.
std::uint64_t RequiredPcKb(const DeviceEntry& device, std::uint64_t package_bytes);

// Card-side space (KB) that a backup kind takes on the PC.
std::uint64_t BackupKb(int backup_kind, const CardInfo* card);

struct PcSpace {
    bool enough = false;
    std::string report;  // the not-enough-room text when not enough
};

// Whether the PC has room for the job: the free bytes of the data folder's drive minus the
// backup must exceed the requirement (equal is not enough).
PcSpace CheckPcSpace(std::uint64_t free_bytes, std::uint64_t backup_kb, std::uint64_t required_kb);

// 0x501 code of a package that does not fit the card: posted by the install job, and shown by
// StartJob itself when the card check refuses before a job starts.
inline constexpr std::uint64_t kErrorCardTooSmall = 2;

// The texts shown when a job fails (message 0x501), in the box's full wording.
std::string JobErrorMessage(std::uint64_t code, std::int64_t detail);

}  // namespace mapvale::controller
