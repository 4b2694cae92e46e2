#include "catalog/package_step.h"

#include <string>

#include "catalog/package_info_parser.h"
#include "catalog/package_info_reader.h"
#include "catalog/text_fields.h"
#include "model/messages.h"

namespace mapvale::catalog {

namespace {

bool IsInstallerEntry(const FileEntry& entry) {
    return EqualsNoCase(entry.file_name, "Install_OrLa.exe") ||
           EqualsNoCase(entry.file_name, "orlasetup.txt");
}

// Adds a filed entry's size to the variant totals its attributes name. A file of every variant
// (attribute 3) counts in all three, as the selection installs it with each of them.
void AddToTotals(DeviceEntry& device, const FileEntry& entry) {
    const auto& a = entry.attributes;  // a[2] is attribute 3, a[3] attribute 4
    const std::int64_t size = entry.file_size;
    if (a[2] == 1) {
        for (std::int64_t& total : device.variant_totals) {
            total += size;
        }
        return;
    }
    if (a[3] == 1) {
        device.variant_totals[0] += size;
    }
    const bool second =
        a[4] != 0 && (device.kind == 1 || (device.sub_kind == 1 && (a[4] == 1 || a[4] == 2)) ||
                      (device.sub_kind == 2 && (a[4] == 1 || a[4] == 3)));
    if (second) {
        device.variant_totals[1] += size;
    }
    if (a[5] == 1) {
        device.variant_totals[2] += size;
    }
}

void FileEntries(PackageInfo& context, DeviceEntry& device,
                 const std::vector<PackageCategory>& categories) {
    std::vector<FileEntry>& pending = context.entries;
    for (const PackageCategory& category : categories) {
        const bool files_here = category.kind == device.kind;
        const bool takes_all = category.name.find('*') != std::string::npos;
        for (auto it = pending.begin(); it != pending.end();) {
            if (IsInstallerEntry(*it)) {
                it = pending.erase(it);
                continue;
            }
            if (!files_here) {
                ++it;
                continue;
            }
            FileEntry& filed = device.files.emplace_back(std::move(*it));
            it = pending.erase(it);
            filed.category = category.display_name;
            filed.attributes = category.attributes;
            AddToTotals(device, filed);
            if (!takes_all) {
                break;
            }
        }
    }
    for (FileEntry& entry : pending) {
        FileEntry& filed = device.files.emplace_back(std::move(entry));
        filed.category = std::string(kUnknownCategory);
        filed.attributes = {255, 1, 1, 1, 1, 1};
        for (std::int64_t& total : device.variant_totals) {
            total += filed.file_size;
        }
    }
    pending.clear();
}

}  // namespace

PackageKind PackageKindFromType(std::string_view package_type) {
    struct Known {
        std::string_view type;
        PackageKind kind;
    };
    static constexpr Known kKnown[] = {
        {"ORLA_v4", {1, 1}},   {"orla_v5", {8, 1}},    {"orla_3d", {1, 3}},
        {"TARNO_LOW", {2, 1}}, {"TARNO_HIGH", {2, 2}},
    };
    for (const Known& known : kKnown) {
        if (EqualsNoCase(package_type, known.type)) {
            return known.kind;
        }
    }
    return {};
}

void ApplyPackageInfo(PackageInfo& context, DeviceEntry& device,
                      const std::vector<PackageCategory>& categories) {
    device.variant_totals = {};
    device.notify_url = LookupVariable(context, "NOTIFY_URL");
    device.autostart = LookupVariable(context, "ENABLE_AUTOSTART_WMKINSTALLER") == "1" ? 1 : 0;
    if (device.product_line == "PDA") {
        device.caption = LookupVariable(context, "MODEL_CAPTION");
    }
    const PackageKind kind = PackageKindFromType(LookupVariable(context, "PACKAGE_TYPE"));
    device.kind = kind.kind;
    device.sub_kind = kind.sub_kind;
    device.setup_flag = 1;
    for (const FileEntry& entry : context.entries) {
        if (EqualsNoCase(entry.file_name, "orlasetup.txt")) {
            device.setup_flag = 2;
            break;
        }
    }
    // A new catalogue replaces the old one; filing the same device twice must not list its
    // files twice.
    device.files.clear();
    device.refused_entries = context.refused_entries;
    FileEntries(context, device, categories);
}

int RunPackageStep(PackageInfo& context, platform::MessageTarget* owner,
                   const std::atomic<int>& cancel_flag, std::list<DeviceEntry>& devices,
                   const std::vector<PackageCategory>& categories,
                   const std::function<void()>& process_messages) {
    if (devices.empty()) {
        return 0;
    }
    std::uint64_t filed = 0;
    for (DeviceEntry& device : devices) {
        if (cancel_flag.load() == 1) {
            return 0;
        }
        if (process_messages) {
            process_messages();
        }
        if (ReadPackageInfo(context, device.information_root, device.model_name + ".inf") != 1) {
            continue;
        }
        ApplyPackageInfo(context, device, categories);
        ++filed;
        if (owner != nullptr) {
            owner->Post(kMsgPackageStepProgress, filed,
                        static_cast<platform::LParam>(devices.size()));
        }
    }
    return 1;
}

}  // namespace mapvale::catalog
