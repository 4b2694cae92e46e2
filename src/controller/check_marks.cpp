#include "controller/check_marks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "controller/install_rules.h"

namespace mapvale::controller {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

bool IsFixedRow(std::string_view file_name) {
    const std::string name = Lower(file_name);
    return name == "korea.gth" || name == "tg.vb" || name == "korea.gtg";
}

std::optional<std::string> ExclusivePartner(std::string_view file_name) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kPairs = {{
        {"nd_1gb.vb", "nd_2gb.vb"},
        {"korea_1gb.gpi", "korea_2gb.gpi"},
    }};
    const std::string name = Lower(file_name);
    for (const auto& [first, second] : kPairs) {
        if (name == first) {
            return std::string(second);
        }
        if (name == second) {
            return std::string(first);
        }
    }
    return std::nullopt;
}

int ColourRowType(std::string_view row_label) {
    if (row_label == "지도색상(일반색상)") {
        return 1;
    }
    if (row_label == "지도색상(진한색상)") {
        return 2;
    }
    return 0;
}

bool ChecksTakeClicks(const DeviceEntry& device) {
    return device.install_type == kInstallNo1GbVariant;
}

bool ClickCheckMark(DeviceEntry& device, std::size_t index) {
    if (!ChecksTakeClicks(device) || index >= device.files.size() ||
        IsFixedRow(device.files[index].file_name)) {
        return false;
    }
    FileEntry& file = device.files[index];
    file.selected = file.selected != 0 ? 0 : 1;
    if (file.selected != 0) {
        if (const auto partner = ExclusivePartner(file.file_name)) {
            for (FileEntry& other : device.files) {
                if (Lower(other.file_name) == *partner) {
                    other.selected = 0;
                }
            }
        }
    }
    return true;
}

void ApplyCheckMarks(DeviceEntry& device) {
    if (!ChecksTakeClicks(device)) {
        return;
    }
    for (FileEntry& file : device.files) {
        file.status = file.selected != 0 ? FileStatus::kToFetch : FileStatus::kNotInJob;
    }
}

}  // namespace mapvale::controller
