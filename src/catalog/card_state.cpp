#include "catalog/card_state.h"

#include "catalog/card_paths.h"
#include "catalog/text_file.h"
#include "catalog/variant_files.h"
#include "catalog/version_file.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

// The PC installer is listed in packages but never lies on the card.
constexpr std::string_view kPcInstallerName = "tarno_pc설치.exe";

}  // namespace

int ReadCardState(DeviceEntry& device, const CardInfo* card) {
    for (FileEntry& entry : device.files) {
        entry.card_version = -1;
        entry.selected = 1;
    }
    device.card_header = mapvale::VersionHeader{};
    if (card == nullptr || device.format_option != 0 || !IsSafePackageName(device.model_name)) {
        return 0;
    }
    // The folder the install job writes the version file to, so that the two always agree.
    const std::string product_folder =
        CardVersionFolder(card->product_folder, card->root, device.model_name);
    const auto lines =
        ReadCp949Lines(VersionFilePath(product_folder, device.model_name), kMaxVersionLineBytes);
    if (!lines) {
        return 0;
    }
    if (const auto header = ReadCardHeader(product_folder, device.model_name)) {
        ApplyVersionHeader(*header, device.card_header);
        if (!header->option.empty()) {
            device.option_value = device.card_header.option_value;
        }
    }
    for (const VersionFileLine& line : ParseVersionLines(*lines)) {
        FileEntry* entry = FindEntryForLine(device.files, line);
        if (entry == nullptr) {
            continue;
        }
        const auto size = platform::FileSize(
            InstalledCardPath(*entry, device.model_name, card->root, product_folder));
        const bool installed = entry->file_name != kPcInstallerName && size &&
                               *size == static_cast<std::uint64_t>(entry->file_size) &&
                               line.version == entry->version;
        if (installed) {
            entry->card_version = line.version;
            entry->selected = 0;
            continue;
        }
        entry->selected = 1;
        if (entry->status == FileStatus::kOnCard && entry->downloaded_version == entry->version) {
            entry->status = FileStatus::kDownloaded;
        }
    }
    return 1;
}

}  // namespace mapvale::catalog
