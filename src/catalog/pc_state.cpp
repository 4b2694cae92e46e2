#include "catalog/pc_state.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "catalog/entry_paths.h"
#include "catalog/text_fields.h"
#include "catalog/text_file.h"
#include "catalog/version_file.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace fs = std::filesystem;

namespace {

std::string FirstSpanName(const FileEntry& entry) {
    return SpanName(entry.archive_name, entry.part_count, 1);
}

// True when `name` is one of the spans of the entry's archive.
bool IsSpanOf(const FileEntry& entry, std::string_view name) {
    if (entry.archive_name.empty()) {
        return false;
    }
    if (entry.part_count == 1) {
        return name == entry.archive_name;
    }
    const ArchiveName parts = SplitArchiveName(entry.archive_name);
    const std::string suffix = "." + parts.extension;
    if (name.size() < parts.base.size() + suffix.size() + 3 ||
        name.substr(0, parts.base.size()) != parts.base ||
        name.substr(name.size() - suffix.size()) != suffix) {
        return false;
    }
    const std::string_view digits =
        name.substr(parts.base.size(), name.size() - parts.base.size() - suffix.size());
    if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    const std::int64_t index = LeadingInt64(digits);
    // Rebuilding the name rules out other spellings of the number ("0001").
    return index >= 1 && index <= entry.part_count &&
           SpanName(entry.archive_name, entry.part_count, static_cast<int>(index)) == name;
}

std::string_view LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsSparedFolder(std::string_view name) {
    return EqualsNoCase(name, "Backup") || ContainsNoCase(name, "Backup_");
}

// The clean-up deletes whatever the catalogue does not name, so it may only ever run in a folder
// that belongs to this package alone: one named after the package, whose name is a plain one.
// A model name that is empty, "." or a path would otherwise turn the data folder itself (with
// other packages' downloads and the user's files) into the package folder.
bool IsOwnPackageFolder(const std::string& folder, std::string_view package_name) {
    if (!IsSafePackageName(package_name)) {
        return false;
    }
    std::string_view path(folder);
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return LastComponent(path) == package_name;
}

}  // namespace

int ReadPcState(DeviceEntry& device, std::string_view package_folder) {
    for (FileEntry& entry : device.files) {
        entry.on_pc = 0;
        entry.downloaded_version = -1;
        entry.needs_download = 1;
        entry.partial = 0;
    }
    if (!IsSafePackageName(device.model_name)) {
        return 0;
    }
    const std::string path = VersionFilePath(package_folder, device.model_name);
    const auto lines = ReadCp949Lines(path, kMaxVersionLineBytes);
    if (!lines) {
        return 0;
    }
    if (const auto header = ReadVersionHeader(path)) {
        ApplyVersionHeader(*header, device.pc_header);
    }
    for (const VersionFileLine& line : ParseVersionLines(*lines)) {
        FileEntry* entry = FindEntryForLine(device.files, line);
        if (entry == nullptr) {
            continue;  // a file the package no longer lists
        }
        entry->option_value = line.option_value;
        const auto size =
            platform::FileSize(PcPathOf(package_folder, *entry, device.kind, entry->file_name));
        if (size) {
            if (*size > 0) {
                entry->on_pc = 1;
            }
            if (*size == static_cast<std::uint64_t>(entry->file_size) &&
                line.version == entry->version) {
                entry->downloaded_version = line.version;
                entry->needs_download = 0;
                continue;
            }
        }
        if (entry->archive_name.empty()) {
            continue;
        }
        const auto span_size = platform::FileSize(
            PcPathOf(package_folder, *entry, device.kind, FirstSpanName(*entry)));
        if (span_size && *span_size > 0) {
            entry->on_pc = 1;
            if (line.version == entry->version) {
                entry->downloaded_version = line.version;
                entry->partial = 1;
            }
        }
    }
    return 1;
}

void ScanPackageFolder(DeviceEntry& device, std::string_view package_folder, ScanMode mode) {
    const std::string normal = platform::NormalizePath(package_folder);
    if (mode == ScanMode::kCleanUp && !IsOwnPackageFolder(normal, device.model_name)) {
        return;
    }
    const fs::path root{normal};
    std::vector<fs::path> doomed;
    std::error_code ec;
    // Links are never followed: a link to a folder elsewhere must not make the scan delete
    // files there.
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        const fs::file_status status = it->symlink_status(type_ec);
        if (type_ec) {
            continue;
        }
        const std::string name = it->path().filename().string();
        if (fs::is_directory(status)) {
            if (IsSparedFolder(name)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!fs::is_regular_file(status) ||
            (name.size() >= 4 && EqualsNoCase(name.substr(name.size() - 4), ".ver"))) {
            continue;
        }
        std::error_code size_ec;
        const std::uint64_t size = it->file_size(size_ec);
        if (size_ec) {
            continue;
        }
        const std::string path = platform::NormalizePath(it->path().string());

        // An extracted file: the entry of that name, preferring the one whose place it is in.
        FileEntry* named = nullptr;
        for (FileEntry& entry : device.files) {
            if (LastComponent(entry.file_name) != name) {
                continue;
            }
            if (PcPathOf(root.string(), entry, device.kind, entry.file_name) == path) {
                named = &entry;
                break;
            }
            if (named == nullptr) {
                named = &entry;
            }
        }
        if (named != nullptr) {
            const bool right_size = size == static_cast<std::uint64_t>(named->file_size);
            if (right_size) {
                named->on_pc = 1;
            }
            if (right_size && named->downloaded_version == named->version) {
                named->needs_download = 0;
            } else if (mode == ScanMode::kCleanUp) {
                doomed.push_back(it->path());
            }
            continue;
        }

        // A span of an archive still being downloaded.
        FileEntry* spanned = nullptr;
        for (FileEntry& entry : device.files) {
            if (IsSpanOf(entry, name)) {
                spanned = &entry;
                break;
            }
        }
        if (spanned != nullptr && spanned->downloaded_version == spanned->version) {
            spanned->partial = 1;
            continue;
        }
        if (mode == ScanMode::kCleanUp) {
            doomed.push_back(it->path());
        }
    }
    for (const fs::path& path : doomed) {
        platform::DeleteFileForce(path.string());
    }
}

}  // namespace mapvale::catalog
