#include "controller/install_rules.h"

#include <cstdio>

#include "catalog/download_job.h"

namespace mapvale::controller {

namespace {

// printf into a std::string; the texts here are short and fixed.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, format, args...);
    return out;
}

// One line of the not-enough-room report, in GB from 1024 MB on, else in MB.
std::string ReportLine(const char* gb_format, const char* mb_format, std::int64_t kb) {
    const double mb = static_cast<double>(kb) / 1024.0;
    if (mb >= 1024.0) {
        return Format(gb_format, mb / 1024.0);
    }
    return Format(mb_format, static_cast<int>(kb / 1024));
}

}  // namespace

int ChooseInstallType(const DeviceEntry* device, const CardInfo* card) {
    if (device == nullptr) {
        return kInstallNone;
    }
    if (card == nullptr) {
        return device->install_type != 0 && device->install_type != kInstallNo1GbVariant
                   ? device->install_type
                   : kInstall2Gb;
    }
    const std::int64_t room =
        device->backup_option == 1
            ? std::int64_t{card->map_data_kb} + card->free_kb
            : std::int64_t{card->capacity_kb} - std::int64_t{card->user_data_kb};
    const auto fits = [&](std::int64_t bytes) { return bytes / 1024 < room - 100; };
    if (fits(device->variant_totals[2])) {
        return kInstall4Gb;
    }
    if (fits(device->variant_totals[1])) {
        return kInstall2Gb;
    }
    if ((device->kind == 1 || device->kind == 2) && device->sub_kind == 2) {
        return kInstallNo1GbVariant;
    }
    if (fits(device->variant_totals[0])) {
        return kInstall1Gb;
    }
    return kInstallNone;
}

int CheckCardSpace(const DeviceEntry* device, const CardInfo* card, bool job_running,
                   bool main_screen_exists) {
    if (device == nullptr || job_running) {
        return -1;
    }
    if (card == nullptr) {
        return main_screen_exists ? 1 : -3;
    }
    if (device->install_type == kInstallCameraOnly) {
        return 1;
    }
    const std::int64_t available = device->backup_option == 1
                                       ? std::int64_t{card->map_data_kb} + card->free_kb
                                       : std::int64_t{card->capacity_kb};
    const std::int64_t needed = device->needed_kb;
    if (available < needed) {
        return -2;
    }
    return available >= needed + 50000 ? 1 : 0;
}

JobOptions OptionsFor(const DeviceEntry& device, bool has_target, bool resume) {
    JobOptions options;
    if (device.install_type == kInstallCameraOnly || !has_target || resume) {
        return options;
    }
    if (device.format_option == 1) {
        options.backup_kind = 2;
        options.install_mode = 1;
        options.restore_kind = device.backup_option == 1 ? 2 : 4;
    }
    return options;
}

std::uint64_t RequiredPcKb(const DeviceEntry& device, std::uint64_t package_bytes) {
    if (device.install_type == kInstallCameraOnly) {
        return package_bytes / 1024 * 5;
    }
    return package_bytes / 1024 + 1024000;
}

std::uint64_t BackupKb(int backup_kind, const CardInfo* card) {
    if (card == nullptr) {
        return 0;
    }
    const std::int64_t capacity = card->capacity_kb;
    const std::int64_t free = card->free_kb;
    std::int64_t kb = 0;
    switch (backup_kind) {
        case 1:
            kb = capacity - free;
            break;
        case 2:
            kb = std::int64_t{card->user_data_kb} + capacity - card->map_data_kb - free;
            break;
        case 3:
            kb = card->user_data_kb;
            break;
        default:
            break;
    }
    return kb > 0 ? static_cast<std::uint64_t>(kb) : 0;
}

PcSpace CheckPcSpace(std::uint64_t free_bytes, std::uint64_t backup_kb, std::uint64_t required_kb) {
    PcSpace space;
    const std::uint64_t backup_bytes = backup_kb * 1024;
    std::int64_t required_shown = 0;
    std::int64_t available_shown = 0;
    if (free_bytes > backup_bytes) {
        const std::uint64_t available_kb = (free_bytes - backup_bytes) / 1024;
        if (available_kb > required_kb) {
            space.enough = true;
            return space;
        }
        required_shown = static_cast<std::int64_t>(required_kb);
        available_shown = static_cast<std::int64_t>(available_kb);
    } else {
        // The backup alone does not fit: show what the job needs in all.
        required_shown = static_cast<std::int64_t>(required_kb + backup_kb);
        available_shown = static_cast<std::int64_t>(free_bytes / 1024);
    }
    space.report = "하드디스크 용량이 부족하여 설치할 수 없습니다.\n\n";
    space.report += ReportLine("설치작업에 필요한 용량          : [%.2f GBytes]\n",
                               "설치작업에 필요한 용량          : [%d MBytes]\n", required_shown);
    space.report += ReportLine("현재 확보된 하드디스크 용량 : [%.2f GBytes]\n",
                               "현재 확보된 하드디스크 용량 : [%d MBytes]\n", available_shown);
    space.report += ReportLine("부족한(확보가 필요한) 용량   : [%.2f GBytes]\n\n",
                               "부족한(확보가 필요한) 용량   : [ %d MBytes]\n\n",
                               required_shown - available_shown);
    space.report += "하드디스크의 공간을 확보 하신후 다시 설치해 주세요.";
    return space;
}

std::string JobErrorMessage(std::uint64_t code, std::int64_t detail) {
    std::string reason;
    switch (code) {
        case 1:
            reason = "복사 중 오류가 발생했습니다.";
            break;
        case 2:
            reason =
                "메모리카드의 용량이 부족하여 설치 할 수 없습니다.\n메모리 용량을 확인해 주세요.";
            break;
        case 3:
            reason = "복구 중 오류가 발생했습니다.";
            break;
        case 101:
            reason = "백업 중 오류가 발생했습니다.[101]";
            break;
        case 102:
            reason = "하드디스크의 용량이 부족합니다.";
            break;
        case 103:
            reason = "백업 중 오류가 발생했습니다.[103]";
            break;
        case 201:
            reason =
                "삭제(포맷) 중 오류가 발생하였습니다.\n메모리카드 옆면의 Lock 설정을 확인해 "
                "주시고\n메모리카드 불량확인 및 메모리카드를 사용하는 프로그램을\n종료 후 재설치 "
                "하시기 바랍니다.";
            break;
        case 301:
            reason = Format("다운로드 중 오류가 발생했습니다.(오류코드 : %d)",
                            static_cast<int>(catalog::FailureCodeOf(detail)));
            break;
        default:
            reason = Format("기타 오류 %d %d", static_cast<int>(code), static_cast<int>(detail));
            break;
    }
    return "지도 설치에 실패하였습니다.\n[" + reason + "]\n";
}

bool InstallsOnCard(const DeviceEntry& device) {
    return device.kind == 8 || device.kind == 2;
}

}  // namespace mapvale::controller
