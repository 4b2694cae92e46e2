#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "model/device_entry.h"
#include "model/file_entry.h"

namespace mapvale::controller {

// Colours of the content list, as COLORREF values 0x00BBGGRR (0x0000BF is dark red).
namespace list_colours {
inline constexpr std::uint32_t kText = 0x000000;
inline constexpr std::uint32_t kNewest = 0x303030;
inline constexpr std::uint32_t kNotInstalled = 0xA2A2A2;
inline constexpr std::uint32_t kWaiting = 0xC0C0C0;
inline constexpr std::uint32_t kWorking = 0x0000BF;
inline constexpr std::uint32_t kDone = 0x4A3E37;
inline constexpr std::uint32_t kDownloadCell = 0x65AC94;
inline constexpr std::uint32_t kCopyCell = 0x00B4BF;
inline constexpr std::uint32_t kBarFrame = 0x787A7C;
inline constexpr std::uint32_t kBarFill = 0xE2C7C0;
inline constexpr std::uint32_t kRowEven = 0xF8F8F8;
inline constexpr std::uint32_t kRowOdd = 0xF0F0F0;
inline constexpr std::uint32_t kSelectedFrame = 0xFF9696;
inline constexpr std::uint32_t kSelectedFill = 0xFFC8C8;
}  // namespace list_colours

// How one state cell of the content list looks. With a bar, the cell shows a progress bar
// filled to `bar_percent` with `text` on it instead of the plain text.
struct CellLook {
    std::string text;
    std::uint32_t colour = list_colours::kText;
    std::optional<std::uint32_t> background;  // replaces the row's colour
    int bar_percent = -1;                     // 0-100 with a bar, -1 without

    bool has_bar() const { return bar_percent >= 0; }
    friend bool operator==(const CellLook&, const CellLook&) = default;
};

// The state column of a file while no job runs: newest, old, partly downloaded or missing.
CellLook IdleFileCell(const FileEntry& file);
// The download state of a file while a job runs.
CellLook DownloadFileCell(const FileEntry& file);
// The copy state of a file while a job runs; with the format off a file the card already holds
// in this version is done.
CellLook CopyFileCell(const FileEntry& file, bool format_on);

// Whether a file's row shows a state at all: for camera-data installs only the safe-driving
// category does.
bool RowShowsState(const DeviceEntry& device, const FileEntry& file);

// The summaries of a category over its files (pointers into the device's catalogue): while no
// job runs, during a job's download and during its copy.
CellLook IdleCategoryCell(std::span<const FileEntry* const> files);
CellLook DownloadCategoryCell(std::span<const FileEntry* const> files);
CellLook CopyCategoryCell(std::span<const FileEntry* const> files, bool format_on);

}  // namespace mapvale::controller
