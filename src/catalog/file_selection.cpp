#include "catalog/file_selection.h"

#include <vector>

#include "catalog/pc_state.h"
#include "catalog/variant_files.h"

namespace mapvale::catalog {

namespace {

// The totals, with a record of which entries they hold so that no file counts twice.
class Totals {
public:
    explicit Totals(DeviceEntry& device) : device_(device), counted_(device.files.size(), false) {
        device_.download_size = 0;
        device_.installed_size = 0;
        device_.downloaded_count = 0;
    }

    void Add(std::size_t index) {
        if (counted_[index]) {
            return;
        }
        counted_[index] = true;
        const FileEntry& entry = device_.files[index];
        device_.download_size += entry.archive_size;
        device_.installed_size += static_cast<std::uint32_t>(entry.file_size);
    }

    void Remove(std::size_t index) {
        if (!counted_[index]) {
            return;
        }
        counted_[index] = false;
        const FileEntry& entry = device_.files[index];
        device_.download_size -= entry.archive_size;
        device_.installed_size -= static_cast<std::uint32_t>(entry.file_size);
    }

    void CountDownloaded() { ++device_.downloaded_count; }

private:
    DeviceEntry& device_;
    std::vector<bool> counted_;
};

bool FitsSecondVariant(const DeviceEntry& device, std::int32_t attribute5) {
    if (device.kind == 1) {
        return attribute5 != 0;
    }
    if (device.kind == 2 && device.sub_kind == 1) {
        return attribute5 == 1 || attribute5 == 2;
    }
    if (device.kind == 2 && device.sub_kind == 2) {
        return attribute5 == 1 || attribute5 == 3;
    }
    return false;
}

bool BelongsToVariant(const DeviceEntry& device, const FileEntry& entry) {
    const auto& a = entry.attributes;  // a[2] is attribute 3
    return a[2] == 1 || (device.install_type == 1 && a[3] == 1) ||
           (device.install_type == 2 && FitsSecondVariant(device, a[4])) ||
           (device.install_type == 4 && a[5] == 1);
}

// Install types 100 and 200: the files already in the job stay in it.
void SelectJobFiles(DeviceEntry& device, Totals& totals) {
    const bool format = device.format_option != 0;
    for (std::size_t i = 0; i < device.files.size(); ++i) {
        FileEntry& entry = device.files[i];
        if (device.install_type == kInstallTypeNoSmallVariant) {
            entry.selected = 0;
        }
        const FileStatus status = entry.status;
        if (status < FileStatus::kToFetch || status > FileStatus::kDownloaded) {
            continue;
        }
        entry.selected = 1;
        totals.Add(i);
        if (entry.needs_download == 0) {
            totals.CountDownloaded();
        }
        if (entry.card_version == entry.version && !format) {
            entry.status = FileStatus::kOnCard;
        } else if (entry.needs_download == 0) {
            entry.status = FileStatus::kDownloaded;
        }
    }
}

// The colour rule for a theme style file of type `type` (1 normal, 2 deep colours).
void ApplyColourRule(DeviceEntry& device, std::size_t index, int type, Totals& totals) {
    FileEntry& entry = device.files[index];
    if (type != device.colour) {
        entry.selected = 0;
        entry.needs_download = 0;
        entry.status = FileStatus::kNotInJob;
        totals.Remove(index);
        return;
    }
    totals.Add(index);
    entry.needs_download = 0;
    entry.selected = 0;
    if (entry.downloaded_version != entry.version) {
        entry.needs_download = 1;
        entry.status = FileStatus::kToFetch;
    }
    const bool install = device.format_option != 0 || entry.card_version != entry.version ||
                         device.card_header.colour != device.colour;
    if (install) {
        entry.selected = 1;
        if (entry.status != FileStatus::kToFetch) {
            entry.status = FileStatus::kDownloaded;
        }
    } else {
        entry.needs_download = 0;
        entry.status = FileStatus::kOnCard;
    }
}

void SelectVariantFiles(DeviceEntry& device, Totals& totals) {
    const bool format = device.format_option != 0;
    bool has_deep_theme = false;
    for (const FileEntry& entry : device.files) {
        has_deep_theme = has_deep_theme || ThemeStyleType(entry.file_name) == 2;
    }
    if (!has_deep_theme) {
        device.colour = 1;
    }
    for (std::size_t i = 0; i < device.files.size(); ++i) {
        FileEntry& entry = device.files[i];
        if (BelongsToVariant(device, entry)) {
            totals.Add(i);
            entry.selected = 1;
            if (entry.needs_download != 0) {
                entry.status = FileStatus::kToFetch;
            } else {
                totals.CountDownloaded();
                entry.status = entry.card_version == entry.version && !format
                                   ? FileStatus::kOnCard
                                   : FileStatus::kDownloaded;
            }
        } else {
            entry.selected = 0;
            entry.status = FileStatus::kNotInJob;
        }
        // A file the card already holds in this version needs nothing, unless the card is
        // about to be erased.
        if (entry.card_version == entry.version && !format) {
            entry.status = FileStatus::kOnCard;
        }
        if (const int type = ThemeStyleType(entry.file_name); type != 0) {
            ApplyColourRule(device, i, type, totals);
        }
    }
}

}  // namespace

void SelectFiles(DeviceEntry& device, std::string_view package_folder) {
    if (package_folder.empty() || device.install_type < 0) {
        return;
    }
    ScanPackageFolder(device, package_folder, ScanMode::kCleanUp);
    Totals totals(device);
    if (device.install_type == kInstallTypeNoSmallVariant ||
        device.install_type == kInstallTypeCameraData) {
        SelectJobFiles(device, totals);
    } else {
        SelectVariantFiles(device, totals);
    }
    // The room the package takes on the card, which the controller's card check compares
    // before anything is fetched.
    device.needed_kb = device.installed_size / 1024;
}

}  // namespace mapvale::catalog
