#include "catalog/package_info_parser.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>

#include "catalog/text_fields.h"
#include "platform/files.h"

namespace mapvale::catalog {

// The file format, rule by rule, as the parser applies it to each line:
//  - lines end at CR LF only (a lone LF stays inside the line); each line is cut to
//    kMaxPackageInfoLineBytes, trimmed, and skipped when empty;
//  - a line containing "# END" ends the file; an entry still open is dropped;
//  - the key is the text before the first '='; a key containing "[FILE_" or "[FOLDER_" switches
//    to the entry part for the rest of the file;
//  - a key starting with '#' is a comment in the header part; in the entry part it stores the
//    open entry (when it has a file name) and resets the entry's fields either way;
//  - any other key starting with '[' is skipped;
//  - the value is cut at double quotes, CR and LF, the first two non-empty pieces are kept
//    (joined by one space in the header part, directly in the entry part), trimmed and expanded;
//  - header lines define variables in order (ROOT_URL also sets the root URL); entry lines set
//    the first field whose key occurs anywhere in the line's key.

namespace {

// Expanded values are cut to this length: a file could otherwise make each variable repeat the
// previous one many times and grow without limit.
constexpr std::size_t kMaxExpandedValueBytes = 4096;

enum class EntryField {
    kError,
    kInformationPath,
    kDestinationPath,
    kProductInformation,
    kFileName,
    kFileSize,
    kFolderSize,
    kDepth,
    kFolderName,
    kCrc,
    kPartCount,
    kArchiveName,
    kLastPartName,
    kArchiveSize,
    kPackageNumber,
    kVersion,
};

// Matched in this order; the first key that occurs inside the line's key wins.
constexpr std::pair<std::string_view, EntryField> kEntryKeys[] = {
    {"ERROR", EntryField::kError},
    {"FILEINFO_PATH", EntryField::kInformationPath},
    {"DEST_PATH", EntryField::kDestinationPath},
    {"PRODUCT_INFO", EntryField::kProductInformation},
    {"AG_FILENAME", EntryField::kFileName},
    {"AG_FILESIZE", EntryField::kFileSize},
    {"AG_FOLDERSIZE", EntryField::kFolderSize},
    {"AG_DEPTH", EntryField::kDepth},
    {"FOLDER_NAME", EntryField::kFolderName},
    {"AG_FILECRC", EntryField::kCrc},
    {"AG_NUMSPAN", EntryField::kPartCount},
    {"AG_ZIPNAME", EntryField::kArchiveName},
    {"AG_LASTNAME", EntryField::kLastPartName},
    {"AG_ZIPSIZE", EntryField::kArchiveSize},
    {"AG_PACKAGE", EntryField::kPackageNumber},
    {"AG_VER", EntryField::kVersion},
};

std::optional<EntryField> MatchEntryKey(std::string_view key) {
    for (const auto& [name, field] : kEntryKeys) {
        if (key.find(name) != std::string_view::npos) {
            return field;
        }
    }
    return std::nullopt;
}

// The value after '=': cut at '"', CR and LF, the first two non-empty pieces joined by
// `separator`, trimmed.
std::string CutValue(std::string_view raw, std::string_view separator) {
    std::string out;
    int pieces = 0;
    std::size_t start = 0;
    while (pieces < 2 && start < raw.size()) {
        std::size_t end = raw.find_first_of("\"\r\n", start);
        if (end == std::string_view::npos) {
            end = raw.size();
        }
        if (end > start) {
            if (pieces == 1) {
                out.append(separator);
            }
            out.append(raw.substr(start, end - start));
            ++pieces;
        }
        start = end + 1;
    }
    return std::string(TrimText(out));
}

// A server-given name made relative with '/' separators, or nothing when it would leave the
// package folder or could not be written into a version file line.
std::optional<std::string> SafeName(std::string_view name) {
    if (name.find('|') != std::string_view::npos) {
        return std::nullopt;
    }
    return platform::SafeRelativePath(name);
}

// A destination folder made relative: leading separators are dropped (servers write card
// folders as "\Tarno\Data"), an empty folder stays empty.
std::optional<std::string> SafeFolder(std::string_view folder) {
    std::string normal = platform::NormalizePath(folder);
    const std::size_t first = normal.find_first_not_of('/');
    if (first == std::string::npos) {
        return std::string();
    }
    return SafeName(std::string_view(normal).substr(first));
}

// A value with '$' is cut at every '$'; a leading empty piece is skipped and the first empty
// piece after it ends the value ("$$" cuts off the rest). A piece that names a variable exactly
// becomes its value, or nothing with `remove_references`; the pieces are joined. The result is
// cut to kMaxExpandedValueBytes.
template <typename Lookup>
std::string ExpandWith(std::string_view value, bool remove_references, const Lookup& lookup) {
    if (value.find('$') == std::string_view::npos) {
        return std::string(value);
    }
    const std::vector<std::string_view> pieces = SplitFields(value, '$');
    std::string out;
    for (std::size_t i = pieces.front().empty() ? 1 : 0; i < pieces.size() && !pieces[i].empty();
         ++i) {
        const std::string* found = lookup(pieces[i]);
        if (found == nullptr) {
            out.append(pieces[i]);
        } else if (!remove_references) {
            out.append(*found);
        }
        if (out.size() > kMaxExpandedValueBytes) {
            break;
        }
    }
    return std::string(CutUtf8(out, kMaxExpandedValueBytes));
}

void ResetAfterItem(FileEntry& entry) {
    // The information path, destination path, archive name and last part name carry over to
    // the next item.
    FileEntry next;
    next.information_path = std::move(entry.information_path);
    next.destination_path = std::move(entry.destination_path);
    next.archive_name = std::move(entry.archive_name);
    next.last_part_name = std::move(entry.last_part_name);
    next.depth = -1;
    entry = std::move(next);
}

class Parser {
public:
    Parser(PackageInfo& context, EntrySections sections) : context_(context), sections_(sections) {
        context_.variables.clear();
        context_.entries.clear();
        context_.root_url.clear();
        DefineVariable("USERID", context_.user_id);
        DefineVariable("PASSWORD", context_.password);
    }

    // False once the end mark was read.
    bool ReadLine(std::string_view raw) {
        const std::string_view line = TrimText(CutUtf8(raw, kMaxPackageInfoLineBytes));
        if (line.empty()) {
            return true;
        }
        if (line.find("# END") != std::string_view::npos) {
            return false;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        if (key.find("[FILE_") != std::string_view::npos ||
            key.find("[FOLDER_") != std::string_view::npos) {
            in_entries_ = true;
            in_folder_section_ = key.find("[FILE_") == std::string_view::npos;
            return true;
        }
        if (!key.empty() && key.front() == '#') {
            if (in_entries_) {
                StoreOpenEntry();
            }
            return true;
        }
        if (!key.empty() && key.front() == '[') {
            return true;
        }
        const std::string_view raw_value =
            equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        if (in_entries_) {
            SetEntryField(key, CutValue(raw_value, ""));
        } else {
            const std::string name(TrimText(key));
            std::string value = Expand(CutValue(raw_value, " "), false);
            if (name == "ROOT_URL") {
                context_.root_url = value + "/";
            }
            DefineVariable(name, std::move(value));
        }
        return true;
    }

private:
    void DefineVariable(const std::string& name, std::string value) {
        first_index_.try_emplace(name, context_.variables.size());
        context_.variables.emplace_back(name, std::move(value));
    }

    std::string Expand(std::string_view value, bool remove_references) const {
        return ExpandWith(value, remove_references, [this](std::string_view name) {
            const auto found = first_index_.find(std::string(name));
            return found == first_index_.end() ? nullptr
                                               : &context_.variables[found->second].second;
        });
    }

    void SetEntryField(std::string_view key, std::string_view cut_value) {
        const std::optional<EntryField> field = MatchEntryKey(key);
        if (!field) {
            return;
        }
        const bool is_destination = *field == EntryField::kDestinationPath;
        const std::string value = Expand(cut_value, is_destination);
        FileEntry& e = open_;
        switch (*field) {
            case EntryField::kError:
                e.error = LeadingInt32(value);
                break;
            case EntryField::kInformationPath:
                e.information_path = context_.root_url + "/" + value;
                break;
            case EntryField::kDestinationPath:
                e.destination_path = value;
                break;
            case EntryField::kProductInformation:
                e.product_information = value;
                break;
            case EntryField::kFileName:
                e.file_name = value;
                break;
            case EntryField::kFileSize:
                e.file_size = ParseFileSize(value);
                break;
            case EntryField::kFolderSize:
                e.folder_size = LeadingInt32(value);
                break;
            case EntryField::kDepth:
                e.depth = LeadingInt32(value);
                break;
            case EntryField::kFolderName:
                e.folder_name = value;
                break;
            case EntryField::kCrc:
                // Servers write the CRC as a signed or an unsigned decimal; both give the same
                // 32 bits.
                e.crc = static_cast<std::uint32_t>(LeadingInt64(value));
                break;
            case EntryField::kPartCount:
                e.part_count = LeadingInt32(value);
                break;
            case EntryField::kArchiveName:
                e.archive_name = value;
                break;
            case EntryField::kLastPartName:
                e.last_part_name = value;
                break;
            case EntryField::kArchiveSize:
                e.archive_size = ParseFileSize(value);
                break;
            case EntryField::kPackageNumber:
                e.package_number = LeadingInt32(value);
                break;
            case EntryField::kVersion:
                e.version = LeadingInt32(value);
                break;
        }
    }

    void StoreOpenEntry() {
        const bool wanted = sections_ == EntrySections::kFilesAndFolders || !in_folder_section_;
        if (wanted && !open_.file_name.empty()) {
            StoreChecked(open_);
        }
        ResetAfterItem(open_);
    }

    void StoreChecked(const FileEntry& entry) {
        FileEntry stored = entry;
        const auto file_name = SafeName(entry.file_name);
        const auto folder = SafeFolder(entry.destination_path);
        if (!file_name || !folder) {
            context_.refused_entries.push_back(entry.file_name);
            return;
        }
        for (std::string* name : {&stored.archive_name, &stored.last_part_name}) {
            if (name->empty()) {
                continue;
            }
            const auto safe = SafeName(*name);
            if (!safe) {
                context_.refused_entries.push_back(entry.file_name);
                return;
            }
            *name = *safe;
        }
        stored.file_name = *file_name;
        stored.destination_path = *folder;
        context_.entries.push_back(std::move(stored));
    }

    PackageInfo& context_;
    std::unordered_map<std::string, std::size_t> first_index_;
    FileEntry open_;  // before the first item everything is 0 or empty, the depth included
    EntrySections sections_;
    bool in_entries_ = false;
    bool in_folder_section_ = false;
};

}  // namespace

void ParsePackageInfoText(PackageInfo& context, std::string_view text, EntrySections sections) {
    Parser parser(context, sections);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        const std::string_view line =
            end == std::string_view::npos ? text.substr(start) : text.substr(start, end - start);
        if (!parser.ReadLine(line) || end == std::string_view::npos) {
            return;
        }
        start = end + 2;
    }
}

std::uint32_t ParseFileSize(std::string_view text) {
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + static_cast<std::uint64_t>(text[i] - '0'), kLargest + 1);
    }
    return static_cast<std::uint32_t>(std::min(value, kLargest));
}

std::string LookupVariable(const PackageInfo& context, std::string_view key) {
    for (const auto& [name, value] : context.variables) {
        if (name.find(key) != std::string::npos) {
            return value;
        }
    }
    return {};
}

}  // namespace mapvale::catalog
