#include "catalog/volume_set.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "catalog/entry_paths.h"
#include "platform/files.h"

namespace mapvale::catalog {

std::string VolumeName(std::string_view archive_name, int part_count, int index) {
    if (index >= part_count) {
        return std::string(archive_name);
    }
    char number[16];
    std::snprintf(number, sizeof number, ".%03d", index - 1);
    return SplitArchiveName(archive_name).base + number;
}

std::vector<std::string> VolumeNames(std::string_view archive_name, int part_count) {
    std::vector<std::string> names;
    for (int j = 1; j <= std::max(part_count, 1); ++j) {
        names.push_back(VolumeName(archive_name, part_count, j));
    }
    return names;
}

int VolumeJoin(std::string_view folder, std::string_view archive_name, int part_count,
               std::uint32_t archive_size) {
    std::uint64_t downloaded = 0;
    std::uint64_t renamed = 0;
    for (int j = 1; j <= part_count; ++j) {
        const std::string span = platform::JoinPath(folder, SpanName(archive_name, part_count, j));
        const auto span_size = platform::FileSize(span);
        if (!span_size) {
            return kJoinSpanMissing;
        }
        const std::string target =
            platform::JoinPath(folder, VolumeName(archive_name, part_count, j));
        downloaded += *span_size;
        platform::DeleteFileForce(target);
        std::error_code error;
        std::filesystem::rename(span, target, error);
        renamed += platform::FileSize(target).value_or(0);
    }
    if (downloaded != archive_size) {
        return kJoinDownloadedShort;
    }
    return renamed == archive_size ? kJoinComplete : kJoinRenamedShort;
}

void DeleteVolumeSet(std::string_view folder, std::string_view archive_name, int part_count) {
    for (int j = 1; j <= std::max(part_count, 1); ++j) {
        const std::string path =
            platform::JoinPath(folder, VolumeName(archive_name, part_count, j));
        if (!platform::FileExists(path)) {
            return;
        }
        platform::DeleteFileForce(path);
    }
}

}  // namespace mapvale::catalog
