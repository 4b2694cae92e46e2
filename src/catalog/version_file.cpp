#include "catalog/version_file.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "catalog/card_paths.h"
#include "catalog/text_fields.h"
#include "catalog/text_file.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderFieldCount = 8;
constexpr int kCameraDataOnly = 200;
// A version file is a few hundred bytes per package file; anything far larger is not one of
// ours and is not loaded for the in-place header update.
constexpr std::uint64_t kMaxVersionFileBytes = 64u << 20;

std::string_view Field(const std::vector<std::string_view>& fields, std::size_t n) {
    return n < fields.size() ? fields[n] : std::string_view();
}

std::string FileLine(std::string_view folder, std::string_view file_name, std::int32_t version,
                     std::int32_t option_value) {
    std::string line;
    line.append(folder).append("|").append(file_name).append("|");
    line.append(std::to_string(version)).append("|").append(std::to_string(option_value));
    line.push_back('\n');
    return line;
}

bool EndsWithVer(std::string_view name) {
    return name.size() >= 4 && EqualsNoCase(name.substr(name.size() - 4), ".ver");
}

// Deletes every "*.ver" file of `folder` except `keep` (a file name).
void DeleteOtherVersionFiles(const std::string& folder, std::string_view keep) {
    std::error_code ec;
    std::vector<std::string> doomed;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code type_ec;
        if (name != keep && EndsWithVer(name) && !it->is_directory(type_ec)) {
            doomed.push_back(it->path().string());
        }
    }
    for (const std::string& path : doomed) {
        platform::DeleteFileForce(path);
    }
}

// The existing file with its first header's field 2 set to `second_version` and its mark set
// to 1, every other byte kept; nothing when there is no such file or header.
std::optional<std::string> CameraHeaderUpdate(const std::string& path,
                                              std::int32_t second_version) {
    const auto size = platform::FileSize(path);
    if (!size || *size > kMaxVersionFileBytes) {
        return std::nullopt;
    }
    const auto bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    // Field separators and line ends never occur inside CP949 characters, so the header can be
    // edited on the file's bytes.
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find('\n', start);
        if (end == std::string::npos) {
            end = bytes->size();
        }
        std::string_view line(bytes->data() + start, end - start);
        const bool has_cr = !line.empty() && line.back() == '\r';
        if (has_cr) {
            line.remove_suffix(1);
        }
        std::vector<std::string_view> fields = SplitFields(line, '|');
        if (fields[0] == "*") {
            fields.resize(kHeaderFieldCount);
            const std::string second = std::to_string(second_version);
            fields[2] = second;
            fields[7] = "1";
            std::string header;
            for (std::size_t k = 0; k < fields.size(); ++k) {
                header.append(k == 0 ? "" : "|").append(fields[k]);
            }
            if (has_cr) {
                header.push_back('\r');
            }
            std::string out = bytes->substr(0, start) + header + bytes->substr(end);
            return out;
        }
        start = end + 1;
    }
    return std::nullopt;
}

// The file rewritten by UpdateOptionValues, or nothing when it cannot be read.
std::optional<std::string> RewriteOptionLines(const std::string& path,
                                              const std::vector<FileEntry>& files,
                                              const std::int32_t* fixed_value) {
    const auto lines = ReadCp949Lines(path, kMaxOptionLineBytes);
    if (!lines) {
        return std::nullopt;
    }
    std::string out;
    for (const std::string& line : *lines) {
        const std::vector<std::string_view> fields = SplitFields(line, '|');
        if (fields[0] == "*" || fields.size() < 3) {
            out.append(line).push_back('\n');  // headers, and lines that are no file lines
            continue;
        }
        std::int32_t value = LeadingInt32(Field(fields, 3));
        if (fixed_value != nullptr) {
            value = *fixed_value;
        } else {
            for (const FileEntry& entry : files) {
                if (entry.file_name == fields[1]) {
                    value = entry.option_value;
                    break;
                }
            }
        }
        out.append(FileLine(fields[0], fields[1], LeadingInt32(fields[2]), value));
    }
    return out;
}

}  // namespace

std::vector<VersionFileLine> ParseVersionLines(const std::vector<std::string>& lines) {
    std::vector<VersionFileLine> file_lines;
    for (const std::string& line : lines) {
        const std::vector<std::string_view> fields = SplitFields(line, '|');
        if (fields[0] == "*") {
            continue;
        }
        VersionFileLine& file_line = file_lines.emplace_back();
        file_line.folder = std::string(fields[0]);
        file_line.file_name = std::string(Field(fields, 1));
        file_line.version = LeadingInt32(Field(fields, 2));
        file_line.option_value = LeadingInt32(Field(fields, 3));
    }
    return file_lines;
}

void ApplyVersionHeader(const VersionFileHeader& read, mapvale::VersionHeader& header) {
    header.map_version = read.map_version;
    header.second_version = read.second_version;
    header.package_name = read.package_name;
    header.version_label = read.version_label;
    if (!read.colour.empty()) {
        header.colour = LeadingInt32(read.colour);
    }
    if (!read.option.empty()) {
        header.option_value = LeadingInt32(read.option);
    }
    header.completion_mark = read.completion_mark;
}

bool IsSafePackageName(std::string_view package_name) {
    return !package_name.empty() && package_name != "." && package_name != ".." &&
           package_name.find_first_of(std::string_view("/\\|\0", 4)) == std::string_view::npos;
}

std::string VersionFilePath(std::string_view folder, std::string_view package_name) {
    return platform::JoinPath(folder, std::string(package_name) + ".ver");
}

FileEntry* FindEntryForLine(std::vector<FileEntry>& files, const VersionFileLine& line) {
    FileEntry* by_name = nullptr;
    const std::string folder = platform::NormalizePath(line.folder);
    for (FileEntry& entry : files) {
        if (entry.file_name != line.file_name) {
            continue;
        }
        if (entry.destination_path == folder) {
            return &entry;
        }
        if (by_name == nullptr) {
            by_name = &entry;
        }
    }
    return by_name;
}

std::string FormatVersionFile(const DeviceEntry& device, const CardInfo* card, int mark) {
    std::string text = "*|" + std::to_string(device.server_map_version) + "|" +
                       std::to_string(device.server_second_version) + "|" + device.model_name +
                       "|" + device.server_version_label + "|" + std::to_string(device.colour) +
                       "|" + std::to_string(device.option_value) + "|" +
                       std::to_string(mark == 1 ? 1 : 0) + "\n";
    // While an install runs, the card's file records what the card holds now, line by line as
    // each file lands: an install cut short must not leave lines that vouch for new versions
    // of files it never copied (an old file of the same size would then pass as current).
    const bool card_in_progress = card != nullptr && mark != 1;
    for (const FileEntry& entry : device.files) {
        const std::string folder =
            card != nullptr ? CardVersionFolderText(entry.destination_path, device.model_name)
                            : entry.destination_path;
        const std::int32_t version =
            card_in_progress ? static_cast<std::int32_t>(entry.card_version) : entry.version;
        text += FileLine(folder, entry.file_name, version, entry.option_value);
    }
    return text;
}

int WriteVersionFile(std::string_view folder, const DeviceEntry& device, const CardInfo* card,
                     int completion_mark) {
    if (device.files.empty() || !IsSafePackageName(device.model_name)) {
        return 0;
    }
    const std::string target_folder = card != nullptr
                                          ? CardVersionFolder(folder, card->root, device.model_name)
                                          : platform::NormalizePath(folder);
    const std::string file_name = device.model_name + ".ver";
    const std::string path = VersionFilePath(target_folder, device.model_name);
    if (!platform::CreateFolderChain(target_folder)) {
        return 0;
    }
    std::optional<std::string> bytes;
    if (device.install_type == kCameraDataOnly && completion_mark == 1) {
        bytes = CameraHeaderUpdate(path, device.server_second_version);
    }
    if (!bytes) {
        bytes = ToCp949(FormatVersionFile(device, card, completion_mark));
    }
    if (!platform::WriteFileAtomic(path, *bytes)) {
        return 0;
    }
    DeleteOtherVersionFiles(target_folder, file_name);
    return 1;
}

int UpdateOptionValues(const DeviceEntry& device, std::string_view data_folder,
                       const CardInfo* card, std::int32_t pc_option_value) {
    if (!IsSafePackageName(device.model_name)) {
        return 0;
    }
    const std::string pc_path =
        VersionFilePath(platform::JoinPath(data_folder, device.model_name), device.model_name);
    int rewritten = 0;
    if (const auto text = RewriteOptionLines(pc_path, device.files, &pc_option_value)) {
        rewritten += platform::WriteFileAtomic(pc_path, ToCp949(*text)) ? 1 : 0;
    }
    if (card == nullptr) {
        return rewritten == 1 ? 1 : 0;
    }
    const std::string card_path = VersionFilePath(
        CardVersionFolder(card->product_folder, card->root, device.model_name), device.model_name);
    if (const auto text = RewriteOptionLines(card_path, device.files, nullptr)) {
        rewritten += platform::WriteFileAtomic(card_path, ToCp949(*text)) ? 1 : 0;
    }
    return rewritten == 2 ? 1 : 0;
}

}  // namespace mapvale::catalog
