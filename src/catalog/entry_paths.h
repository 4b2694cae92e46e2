#pragma once

#include <string>
#include <string_view>

#include "model/file_entry.h"

namespace mapvale::catalog {

// Where a package's files lie in its package folder on the PC. Shared by the version files, the
// clean-up scan and the download engine, so that all of them look in the same places.

// The folder used for entries without a destination folder on kind-1 devices.
inline constexpr std::string_view kOrlaDefaultFolder = "Swiftpath_OrLa";

// An archive name split at its last '.'; without a '.', all of it is the base.
struct ArchiveName {
    std::string base;
    std::string extension;
};
ArchiveName SplitArchiveName(std::string_view archive_name);

// The name of span `index` (1 to part_count) of an archive cut into `part_count` spans: the
// archive name itself for a single span, otherwise base + three digits + '.' + extension
// ("Korea002.zip").
std::string SpanName(std::string_view archive_name, int part_count, int index);

// The folder of the package folder, relative, that holds an entry's spans and extracted file:
// its destination folder; without one, kOrlaDefaultFolder on kind-1 devices and the package
// folder itself (empty) otherwise.
std::string PcFolderOf(const FileEntry& entry, int device_kind);

// package folder + PcFolderOf + name.
std::string PcPathOf(std::string_view package_folder, const FileEntry& entry, int device_kind,
                     std::string_view name);

}  // namespace mapvale::catalog
