#include "mapvale-cli/card_report.h"

#include <cstdio>

#include "card/drive_text.h"
#include "controller/install_rules.h"
#include "controller/status_strip.h"
#include "mapvale-cli/cli_texts.h"
#include "mapvale-cli/selection.h"

namespace mapvale::cli {

namespace {

std::string ReplaceFirst(std::string text, std::string_view marker, std::string_view value) {
    if (const std::size_t at = text.find(marker); at != std::string::npos) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

std::string DeviceName(const DeviceEntry& device) {
    return device.caption.empty() ? device.model_name : device.caption;
}

}  // namespace

std::string DeviceLabel(const DeviceEntry& device, std::string_view brand_code) {
    std::string prefix;
    if (device.kind == 1) {
        prefix = "[Orla]";
    } else if (device.kind == 2) {
        prefix = "[Tarno] ";
    } else if (device.kind == 8) {
        prefix = brand_code == "OV" ? "[Orvin] " : brand_code == "DL" ? "[Dalmar] " : "[DL] ";
    }
    return prefix + DeviceName(device) + " (" + device.model_name + ")";
}

std::string PackageText(int install_type) {
    switch (install_type) {
        case controller::kInstall4Gb:
            return "전체 패키지";
        case controller::kInstallNo1GbVariant:
            return "사용자선택 패키지";
        case controller::kInstallCameraOnly:
            return "안전운행 데이터";
        default:
            return std::to_string(install_type) + "G 패키지";
    }
}

std::string SummaryLine(const DeviceEntry* device, const CardInfo* card) {
    if (device == nullptr) {
        return std::string(kSummaryNoDevice);
    }
    if (card == nullptr) {
        return std::string(kSummaryNoDrive);
    }
    std::string_view format;
    switch (device->install_type) {
        case controller::kInstallNone:
            return std::string(kTextCardTooSmall);
        case controller::kInstallNo1GbVariant:
            format = kSummaryUserPackage;
            break;
        case controller::kInstallCameraOnly:
            format = kSummaryCameraPackage;
            break;
        case controller::kInstall4Gb:
            format = kSummaryFullPackage;
            break;
        default:
            format = kSummarySizedPackage;
            break;
    }
    std::string line = ReplaceFirst(std::string(format), "%c", std::string(1, card->letter));
    line = ReplaceFirst(std::move(line), "%s", DeviceName(*device));
    return ReplaceFirst(std::move(line), "%d", std::to_string(device->install_type));
}

std::vector<std::string> CardReport(const CardInfo& card, const DeviceEntry* device,
                                    std::string_view brand_code, std::int64_t now) {
    std::vector<std::string> lines;
    lines.push_back(card::DriveText(card.letter, card.capacity_kb));
    if (card.model_name.empty()) {
        lines.push_back("  " + std::string(kTextCardNoPackage));
    } else {
        std::string installed = "  " + std::string(kTextCardPackage) + card.model_name;
        if (!card.recorded_text.empty()) {
            installed += " " + card.recorded_text;
        }
        installed +=
            " (" +
            std::string(card.completion_mark == 1 ? kTextCardComplete : kTextCardIncomplete) + ")";
        lines.push_back(std::move(installed));
    }
    if (device == nullptr) {
        if (!card.model_name.empty()) {
            lines.push_back("  " + std::string(kTextNoFittingDevice));
        }
        return lines;
    }
    lines.push_back("  " + std::string(kTextFittingDevice) + DeviceLabel(*device, brand_code));

    // The device as the wizard would set it up for this card, without touching the real one.
    DeviceEntry planned = *device;
    const FormatChoice choice = DefaultFormatChoice(card);
    planned.format_option = choice.format ? 1 : 0;
    planned.backup_option = choice.backup ? 1 : 0;
    planned.job_state = 0;
    const int install_type = controller::ChooseInstallType(&planned, &card);
    std::string newest = "  " + std::string(kTextNewestPackage) + planned.model_name;
    if (!planned.server_version_label.empty()) {
        newest += " " + planned.server_version_label;
    }
    newest += ", " + (install_type == controller::kInstallNone ? std::string(kTextNoFittingPackage)
                                                               : PackageText(install_type));
    lines.push_back(std::move(newest));
    lines.push_back("  " + std::string(kTextState) +
                    controller::ComputeStatusStrip(&planned, &card, now).text);
    return lines;
}

}  // namespace mapvale::cli
