#include "controller/wizard_lines.h"

#include <algorithm>

#include "card/drive_text.h"
#include "controller/install_rules.h"
#include "controller/wizard_texts.h"
#include "model/messages.h"

namespace mapvale::controller {

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

int Percent(std::uint16_t value) {
    return std::min<int>(value, 100);
}

}  // namespace

std::string WizardDeviceLabel(const DeviceEntry& device, std::string_view brand_code) {
    std::string prefix;
    switch (device.kind) {
        case 1:
            prefix = "[Orla]";
            break;
        case 2:
            prefix = "[Tarno] ";
            break;
        case 8:
            prefix = brand_code == "OV" ? "[Orvin] " : brand_code == "DL" ? "[Dalmar] " : "[DL] ";
            break;
        default:
            break;
    }
    return prefix + DeviceName(device);
}

std::vector<std::string> WizardDriveRows(const std::map<char, CardInfo>& drives) {
    std::vector<std::string> rows;
    for (const auto& [letter, card] : drives) {
        rows.push_back(card::DriveText(letter, card.capacity_kb));
    }
    rows.emplace_back(card::kHardDiskOnlyText);
    return rows;
}

int WizardPackageCode(const DeviceEntry* device, const CardInfo* card) {
    if (device != nullptr && device->install_type == kInstallCameraOnly) {
        return kInstallCameraOnly;
    }
    return ChooseInstallType(device, card);
}

std::string OptionStatusLine(const DeviceEntry* device, bool drive_chosen, int package_code) {
    if (device == nullptr) {
        return std::string(kLineNoDevice);
    }
    if (!drive_chosen) {
        return std::string(kLineNoDrive);
    }
    switch (package_code) {
        case kInstallNone:
            return std::string(kLineNothingFits);
        case kInstallNo1GbVariant:
            return std::string(kLineBullet) + std::string(kWordsUserPackage);
        case kInstallCameraOnly:
            return std::string(kLineBullet) + std::string(kWordsCameraPackage);
        default:
            return ReplaceFirst(std::string(kLineSizedPackage), "%d", std::to_string(package_code));
    }
}

std::string SummaryLine(const DeviceEntry* device, const CardInfo* card, int package_code) {
    if (device == nullptr) {
        return std::string(kLineNoDevice);
    }
    if (card == nullptr) {
        return std::string(kLineNoDrive);
    }
    std::string_view format;
    switch (package_code) {
        case kInstallNone:
            return std::string(kSummaryDriveTooSmall);
        case kInstallNo1GbVariant:
            format = kSummaryUserPackage;
            break;
        case kInstallCameraOnly:
            format = kSummaryCameraPackage;
            break;
        case kInstall4Gb:
            format = kSummaryFullPackage;
            break;
        default:
            format = kSummarySizedPackage;
            break;
    }
    // The device's name comes from the server and goes in last: a "%d" in it stays as it is.
    std::string line = ReplaceFirst(std::string(format), "%c", std::string(1, card->letter));
    line = ReplaceFirst(std::move(line), "%d", std::to_string(package_code));
    return ReplaceFirst(std::move(line), "%s", DeviceName(*device));
}

std::string ProgressLine(std::uint32_t last_progress_kind, std::string_view install_item,
                         std::string_view download_item) {
    if (last_progress_kind == kMsgCopyFileProgress && !install_item.empty()) {
        if (install_item == kUnpackedOnCard) {
            return std::string(kProgressUnpacking);
        }
        return ReplaceFirst(std::string(kProgressCopying), "%s", install_item);
    }
    if (last_progress_kind == kMsgDownloadFileProgress && !download_item.empty()) {
        return ReplaceFirst(std::string(kProgressDownloading), "%s", download_item);
    }
    return std::string(kProgressPreparing);
}

WizardProgress ComputeWizardProgress(const DeviceEntry* device, bool has_card) {
    WizardProgress progress;
    if (device == nullptr) {
        return progress;
    }
    progress.download_bar = 1000 + Percent(device->download_percent);
    progress.install_bar = 2000 + Percent(device->install_percent);
    if (device->job_state == 5) {
        // -1: the download is over and the copy goes on.
        const std::int32_t download_left = device->remaining_download_seconds;
        const std::int32_t copy_left = device->remaining_copy_seconds;
        const bool copy_counts = download_left == -1 || (has_card && copy_left >= download_left);
        progress.clock_seconds = std::max(0, copy_counts ? copy_left : download_left);
    }
    return progress;
}

}  // namespace mapvale::controller
