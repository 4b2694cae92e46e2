#include "mapvale-cli/card_report.h"

#include <cstdio>

#include "card/drive_text.h"
#include "controller/install_rules.h"
#include "controller/status_strip.h"
#include "controller/wizard_lines.h"
#include "mapvale-cli/cli_texts.h"
#include "mapvale-cli/selection.h"

namespace mapvale::cli {

std::string DeviceLabel(const DeviceEntry& device, std::string_view brand_code) {
    return controller::WizardDeviceLabel(device, brand_code) + " (" + device.model_name + ")";
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
    return controller::SummaryLine(device, card, device != nullptr ? device->install_type : 0);
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
