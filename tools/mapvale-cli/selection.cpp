#include "mapvale-cli/selection.h"

#include <charconv>
#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"

namespace mapvale::cli {

namespace {

// Above this capacity (KB, 16 GB) a drive is taken for a hard disk.
constexpr std::uint32_t kHardDiskCapacityKb = 0x1000000;

std::string ComparableFolder(std::string_view folder) {
    std::error_code error;
    const std::filesystem::path canonical =
        std::filesystem::weakly_canonical(std::filesystem::path(std::string(folder)), error);
    return platform::NormalizeFolder(error ? std::string(folder) : canonical.string());
}

}  // namespace

DeviceEntry* FindDevice(std::list<DeviceEntry>& devices, std::string_view name) {
    const std::string_view wanted = platform::TrimText(name);
    if (wanted.empty()) {
        return nullptr;
    }
    for (DeviceEntry& device : devices) {
        if (platform::EqualsNoCase(device.model_name, wanted)) {
            return &device;
        }
    }
    for (DeviceEntry& device : devices) {
        if (device.caption == wanted) {
            return &device;
        }
    }
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), number);
    if (error == std::errc() && end == wanted.data() + wanted.size() && number >= 1 &&
        number <= devices.size()) {
        auto it = devices.begin();
        std::advance(it, number - 1);
        return &*it;
    }
    return nullptr;
}

const DeviceEntry* DeviceForCard(const std::list<DeviceEntry>& devices, const CardInfo& card) {
    if (card.model_name.empty()) {
        return nullptr;
    }
    for (const DeviceEntry& device : devices) {
        if (device.model_name == card.model_name) {
            return &device;
        }
    }
    return nullptr;
}

std::optional<char> FindCard(const std::map<char, CardInfo>& drives, std::string_view name) {
    std::string_view wanted = platform::TrimText(name);
    if (wanted.empty()) {
        return std::nullopt;
    }
    std::string_view letter_part = wanted;
    if (letter_part.size() >= 2 && letter_part[1] == ':') {
        const std::string_view rest = letter_part.substr(2);
        if (rest.empty() || rest == "/" || rest == "\\") {
            letter_part = letter_part.substr(0, 1);
        }
    }
    if (letter_part.size() == 1) {
        const char c = letter_part[0];
        const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        if (drives.count(upper) != 0) {
            return upper;
        }
        return std::nullopt;
    }
    const std::string folder = ComparableFolder(wanted);
    for (const auto& [letter, card] : drives) {
        if (ComparableFolder(card.root) == folder) {
            return letter;
        }
    }
    return std::nullopt;
}

FormatChoice DefaultFormatChoice(const CardInfo& card) {
    if (card.drive_kind == DriveKind::kHardDisk || card.capacity_kb > kHardDiskCapacityKb) {
        return FormatChoice{false, false};
    }
    return FormatChoice{true, true};
}

}  // namespace mapvale::cli
