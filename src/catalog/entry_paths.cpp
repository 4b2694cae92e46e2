#include "catalog/entry_paths.h"

#include <cstdio>

#include "platform/files.h"

namespace mapvale::catalog {

ArchiveName SplitArchiveName(std::string_view archive_name) {
    const std::size_t dot = archive_name.rfind('.');
    if (dot == std::string_view::npos) {
        return {std::string(archive_name), {}};
    }
    return {std::string(archive_name.substr(0, dot)), std::string(archive_name.substr(dot + 1))};
}

std::string SpanName(std::string_view archive_name, int part_count, int index) {
    if (part_count == 1) {
        return std::string(archive_name);
    }
    const ArchiveName parts = SplitArchiveName(archive_name);
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index);
    return parts.base + number + "." + parts.extension;
}

std::string PcFolderOf(const FileEntry& entry, int device_kind) {
    if (!entry.destination_path.empty()) {
        return entry.destination_path;
    }
    return device_kind == 1 ? std::string(kOrlaDefaultFolder) : std::string();
}

std::string PcPathOf(std::string_view package_folder, const FileEntry& entry, int device_kind,
                     std::string_view name) {
    return platform::JoinPath(platform::JoinPath(package_folder, PcFolderOf(entry, device_kind)),
                              name);
}

}  // namespace mapvale::catalog
