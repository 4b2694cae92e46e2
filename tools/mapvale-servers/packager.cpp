#include "mapvale-servers/packager.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "catalog/package_info_parser.h"
#include "catalog/package_step.h"
#include "mapvale-servers/crc32.h"
#include "mapvale-servers/zip_writer.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// AG_FILESIZE and AG_ZIPSIZE are signed 32-bit numbers on the client.
constexpr std::uint64_t kMaxBytes = INT32_MAX;
// Span names carry three digits.
constexpr std::uint64_t kMaxSpans = 999;
// The client reads lines into a buffer of just under 1 KB.
constexpr std::size_t kMaxLineBytes = 1000;
constexpr std::size_t kCopyPiece = 64 * 1024;

// The header variables the packager writes itself.
constexpr std::string_view kStandardVariables[] = {
    "PACKAGE_TYPE", "MODEL_NAME",     "MODEL_CAPTION",
    "ROOT_URL",     "NOTIFY_URL",     "ENABLE_AUTOSTART_WMKINSTALLER",
    "MAP_VERSION",  "SECOND_VERSION", "VERSION_LABEL",
    "USERID",       "PASSWORD",
};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsInstaller(std::string_view name) {
    const std::string lower = Lower(name);
    return lower == "install_orla.exe" || lower == "orlasetup.txt";
}

// Why `value` cannot stand in the package information file, or empty: the client cuts values at
// CR, LF and '"', expands '$' references, ends the file at "# END" and trims values.
std::string ValueProblem(std::string_view what, std::string_view value) {
    const std::string name(what);
    if (!platform::Utf8ToCp949(value).ok()) {
        return name + " has no CP949 form";
    }
    if (value.find_first_of("\r\n\"$") != std::string_view::npos) {
        return name + " must not hold CR, LF, '\"' or '$'";
    }
    if (value.find("# END") != std::string_view::npos) {
        return name + " must not hold \"# END\"";
    }
    if (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                           std::isspace(static_cast<unsigned char>(value.back())))) {
        return name + " must not start or end with a blank";
    }
    return {};
}

// A plain file name: one component that stays where it is put, no '|' (version files cannot
// carry it).
std::string NameProblem(std::string_view what, std::string_view name) {
    const auto safe = platform::SafeRelativePath(name);
    if (!safe || *safe != name || name.find_first_of("/\\|") != std::string_view::npos) {
        return std::string(what) + " \"" + std::string(name) +
               "\" must be a plain file name without '|'";
    }
    return ValueProblem(what, name);
}

// A folder below the package, with '/' separators and neither a leading nor a trailing one;
// empty stays empty. Nothing when it would leave the package.
std::optional<std::string> CleanFolder(std::string_view what, std::string_view folder,
                                       std::string& problem) {
    std::string normal = platform::NormalizePath(folder);
    while (!normal.empty() && normal.front() == '/') {
        normal.erase(0, 1);
    }
    while (!normal.empty() && normal.back() == '/') {
        normal.pop_back();
    }
    if (normal.empty()) {
        return normal;
    }
    const auto safe = platform::SafeRelativePath(normal);
    if (!safe || safe->find('|') != std::string::npos) {
        problem = std::string(what) + " \"" + std::string(folder) +
                  "\" must stay inside the package and hold no '|'";
        return std::nullopt;
    }
    problem = ValueProblem(what, *safe);
    if (!problem.empty()) {
        return std::nullopt;
    }
    return *safe;
}

struct RootUrl {
    std::string url;   // without a trailing '/'
    std::string path;  // below the content tree, relative; may be empty
};

std::optional<RootUrl> ParseRootUrl(std::string_view text, std::string& problem) {
    constexpr std::string_view kScheme = "http://";
    problem = ValueProblem("root-url", text);
    if (!problem.empty()) {
        return std::nullopt;
    }
    if (text.substr(0, kScheme.size()) != kScheme) {
        problem = "root-url must start with http://";
        return std::nullopt;
    }
    std::string rest(text.substr(kScheme.size()));
    while (!rest.empty() && rest.back() == '/') {
        rest.pop_back();
    }
    const std::size_t slash = rest.find('/');
    if (slash == 0 || rest.empty()) {
        problem = "root-url has no host";
        return std::nullopt;
    }
    RootUrl root;
    root.url = std::string(kScheme) + rest;
    if (slash == std::string::npos) {
        return root;
    }
    const std::string path = rest.substr(slash + 1);
    const auto safe = platform::SafeRelativePath(path);
    if (path.find_first_of("%?# \\") != std::string::npos || !safe || *safe != path) {
        problem = "root-url's path must be a plain folder path (no '%', '?', '#', blanks, '..')";
        return std::nullopt;
    }
    root.path = path;
    return root;
}

// One file of the manifest, checked and with everything the packing needs.
struct Plan {
    const ManifestFile* file = nullptr;
    std::string source_path;
    std::uint64_t source_size = 0;
    std::string name;
    std::string destination;
    std::string server_folder;
    std::string archive;
    std::string base;       // the archive name before its last '.'
    std::string extension;  // after it
    std::uint64_t span_size = 0;
};

std::string FileLabel(const ManifestFile& file) {
    return file.line > 0 ? "line " + std::to_string(file.line) + " (" + file.source + ")"
                         : file.source;
}

std::optional<Plan> PlanFile(const Manifest& manifest, const ManifestFile& file,
                             const std::string& files_folder, std::string& error) {
    Plan plan;
    plan.file = &file;
    const std::string label = FileLabel(file);
    const auto source = platform::SafeJoin(files_folder, file.source);
    if (!source) {
        error = label + ": the source must lie inside the files folder";
        return std::nullopt;
    }
    plan.source_path = *source;
    const auto size = platform::FileSize(plan.source_path);
    if (!size) {
        error = label + ": cannot read " + plan.source_path;
        return std::nullopt;
    }
    if (*size > kMaxBytes) {
        error = label + ": the file is larger than 2 GB less one byte";
        return std::nullopt;
    }
    plan.source_size = *size;
    plan.name = file.name.empty() ? std::filesystem::path(*source).filename().string() : file.name;
    std::string problem = NameProblem("name", plan.name);
    const auto destination =
        problem.empty() ? CleanFolder("dest", file.destination, problem) : std::nullopt;
    const auto server_folder =
        problem.empty()
            ? CleanFolder("server-folder",
                          file.server_folder.empty() ? file.destination : file.server_folder,
                          problem)
            : std::nullopt;
    if (!problem.empty()) {
        error = label + ": " + problem;
        return std::nullopt;
    }
    plan.destination = *destination;
    plan.server_folder = *server_folder;
    plan.archive =
        file.archive.empty() ? plan.name.substr(0, plan.name.find('.')) + ".zip" : file.archive;
    const std::size_t dot = plan.archive.rfind('.');
    plan.base = plan.archive.substr(0, dot);
    plan.extension = dot == std::string::npos ? std::string() : plan.archive.substr(dot + 1);
    problem = NameProblem("archive", plan.archive);
    if (problem.empty() &&
        (plan.base.empty() || plan.extension.empty() || plan.base.find('.') != std::string::npos)) {
        // The client takes the text after the first '.' as the extension of the spans it finds.
        problem = "archive \"" + plan.archive + "\" must be BASE.EXT with no other '.'";
    }
    if (problem.empty()) {
        problem = ValueProblem("product-info", file.product_info);
    }
    if (!problem.empty()) {
        error = label + ": " + problem;
        return std::nullopt;
    }
    plan.span_size = file.span_size != 0 ? file.span_size : manifest.span_size;
    if (plan.span_size == 0) {
        error = label + ": the span size must be 1 or more";
        return std::nullopt;
    }
    return plan;
}

// Names clash on the client's file system without regard to case. Within each folder (on the
// server: the spans' folder; on the PC: the destination, which holds spans, volumes and the
// extracted files together), archives must differ and no archive's spans may carry another
// archive's name; on the PC no file may share a name with another file or an archive.
std::string CheckClashes(const std::vector<Plan>& plans) {
    std::map<std::string, std::vector<const Plan*>> by_server;
    std::map<std::string, std::vector<const Plan*>> by_destination;
    for (const Plan& plan : plans) {
        by_server[Lower(plan.server_folder)].push_back(&plan);
        by_destination[Lower(plan.destination)].push_back(&plan);
    }
    const auto spans_clash = [](const Plan& a, const Plan& b) {
        // b's archive looks like one of a's spans: a's base, three digits or more, a's extension.
        const std::string base = Lower(a.base);
        const std::string other = Lower(b.base);
        return Lower(a.extension) == Lower(b.extension) && other.size() >= base.size() + 3 &&
               other.compare(0, base.size(), base) == 0 &&
               std::all_of(other.begin() + static_cast<std::ptrdiff_t>(base.size()), other.end(),
                           [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    for (const auto* groups : {&by_server, &by_destination}) {
        for (const auto& [folder, members] : *groups) {
            for (const Plan* a : members) {
                for (const Plan* b : members) {
                    if (a == b) {
                        continue;
                    }
                    if (Lower(a->archive) == Lower(b->archive) || spans_clash(*a, *b)) {
                        return "\"" + a->file->source + "\" and \"" + b->file->source +
                               "\" would share archive or span names in folder \"" + folder + "\"";
                    }
                }
            }
        }
    }
    for (const auto& [folder, members] : by_destination) {
        std::set<std::string> names;
        for (const Plan* plan : members) {
            if (!names.insert(Lower(plan->name)).second) {
                return "two files are named \"" + plan->name + "\" in folder \"" + folder + "\"";
            }
        }
        for (const Plan* plan : members) {
            if (names.count(Lower(plan->archive)) != 0) {
                return "the archive \"" + plan->archive + "\" of \"" + plan->file->source +
                       "\" has the name of a file in folder \"" + folder + "\"";
            }
        }
    }
    return {};
}

bool SameCategory(const ManifestCategory& a, const ManifestCategory& b) {
    return a.name == b.name && a.display == b.display && a.attributes == b.attributes;
}

std::optional<std::vector<PackageCategory>> CategoryLines(const Manifest& manifest,
                                                          const std::vector<Plan>& plans,
                                                          std::string& error) {
    const std::int32_t kind = catalog::PackageKindFromType(manifest.package_type).kind;
    std::vector<PackageCategory> lines;
    const ManifestCategory* star = nullptr;
    const Plan* uncategorised = nullptr;
    for (const Plan& plan : plans) {
        if (IsInstaller(plan.name)) {
            continue;  // the client drops these before any category files them
        }
        const std::optional<ManifestCategory>& category = plan.file->category;
        const std::string label = FileLabel(*plan.file);
        if (star != nullptr) {
            if (!category || !SameCategory(*category, *star)) {
                error = label + ": every file after one of category \"" + star->name +
                        "\" (a '*' category takes all the rest) must be of that category too";
                return std::nullopt;
            }
            continue;
        }
        if (!category) {
            uncategorised = &plan;
            continue;
        }
        if (uncategorised != nullptr) {
            error = label + ": it has a category but the earlier " +
                    FileLabel(*uncategorised->file) +
                    " has none, so the client would file this file under the wrong one";
            return std::nullopt;
        }
        const std::string display = category->display.empty() ? category->name : category->display;
        for (const auto& [what, value] :
             {std::pair{"category", &category->name}, std::pair{"display", &display}}) {
            std::string problem = ValueProblem(what, *value);
            if (problem.empty() && (value->empty() || value->find('|') != std::string::npos)) {
                problem = std::string(what) + " must not be empty nor hold '|'";
            }
            if (!problem.empty()) {
                error = label + ": " + problem;
                return std::nullopt;
            }
        }
        lines.push_back({kind, category->attributes, category->name, display});
        if (category->name.find('*') != std::string::npos) {
            star = &*category;
        }
    }
    return lines;
}

// The CRC-32 of a file, read in pieces.
std::optional<std::uint32_t> FileCrc(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    Crc32 crc;
    std::string buffer(kCopyPiece, '\0');
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        crc.Update(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (!in.eof()) {
        return std::nullopt;
    }
    return crc.value();
}

std::string SpanName(const Plan& plan, std::uint64_t j) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03llu", static_cast<unsigned long long>(j));
    return plan.base + digits + "." + plan.extension;
}

// Copies `length` bytes from `in` into a new file at `path` (through a temporary name).
bool WriteSpan(std::ifstream& in, std::uint64_t length, const std::string& path) {
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        std::string buffer(kCopyPiece, '\0');
        while (out && length > 0) {
            const std::size_t piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyPiece));
            if (!in.read(buffer.data(), static_cast<std::streamsize>(piece))) {
                break;
            }
            out.write(buffer.data(), static_cast<std::streamsize>(piece));
            length -= piece;
        }
        out.flush();
        if (!out || length != 0) {
            out.close();
            platform::DeleteFileForce(partial);
            return false;
        }
    }
    std::error_code failed;
    std::filesystem::rename(partial, path, failed);
    if (failed) {
        platform::DeleteFileForce(partial);
        return false;
    }
    return true;
}

std::optional<PackedFile> PackFile(const Plan& plan, const std::string& span_folder,
                                   std::string& error) {
    PackedFile packed;
    packed.name = plan.name;
    packed.destination = plan.destination;
    packed.server_folder = plan.server_folder;
    packed.archive = plan.archive;
    const auto crc = FileCrc(plan.source_path);
    const auto size = platform::FileSize(plan.source_path);
    if (!crc || !size || *size != plan.source_size) {
        error = "cannot read " + plan.source_path + " (or it changed while packing)";
        return std::nullopt;
    }
    packed.crc = *crc;
    packed.size = static_cast<std::uint32_t>(*size);

    if (!platform::CreateFolderChain(span_folder)) {
        error = "cannot create the folder " + span_folder;
        return std::nullopt;
    }
    const std::string temporary = platform::JoinPath(span_folder, ".packing-" + plan.archive);
    if (!WriteZipArchive(temporary, {ZipMember{plan.name, plan.source_path, std::nullopt}},
                         error)) {
        return std::nullopt;
    }
    const auto archive_size = platform::FileSize(temporary);
    const std::uint64_t spans =
        archive_size
            ? std::max<std::uint64_t>(1, (*archive_size + plan.span_size - 1) / plan.span_size)
            : 0;
    if (!archive_size || *archive_size > kMaxBytes || spans > kMaxSpans) {
        platform::DeleteFileForce(temporary);
        error = archive_size ? "the archive of " + plan.source_path +
                                   " is larger than 2 GB or needs more than 999 spans"
                             : "cannot read back " + temporary;
        return std::nullopt;
    }
    packed.archive_size = static_cast<std::uint32_t>(*archive_size);

    if (spans == 1) {
        const std::string target = platform::JoinPath(span_folder, plan.archive);
        std::error_code failed;
        std::filesystem::rename(temporary, target, failed);
        if (failed) {
            platform::DeleteFileForce(temporary);
            error = "cannot write " + target + ": " + failed.message();
            return std::nullopt;
        }
        packed.spans.push_back(target);
        packed.last_name = plan.archive;
    } else {
        std::ifstream in(temporary, std::ios::binary);
        std::uint64_t left = *archive_size;
        for (std::uint64_t j = 1; j <= spans; ++j) {
            const std::uint64_t length = std::min(left, plan.span_size);
            const std::string target = platform::JoinPath(span_folder, SpanName(plan, j));
            if (!in || !WriteSpan(in, length, target)) {
                platform::DeleteFileForce(temporary);
                error = "cannot write " + target;
                return std::nullopt;
            }
            packed.spans.push_back(target);
            left -= length;
        }
        in.close();
        platform::DeleteFileForce(temporary);
        packed.last_name = SpanName(plan, spans);
        platform::DeleteFileForce(platform::JoinPath(span_folder, plan.archive));
    }
    // Spans of an earlier packing with more spans (or with several, when there is one now).
    for (std::uint64_t j = spans == 1 ? 1 : spans + 1; j <= kMaxSpans; ++j) {
        const std::string stale = platform::JoinPath(span_folder, SpanName(plan, j));
        if (!platform::FileExists(stale)) {
            break;
        }
        platform::DeleteFileForce(stale);
    }
    return packed;
}

std::string Key(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value);
}

std::vector<std::string> InformationLines(const Manifest& manifest, const RootUrl& root,
                                          const std::vector<PackedFile>& files,
                                          const std::vector<Plan>& plans) {
    std::vector<std::string> lines;
    lines.push_back(Key("PACKAGE_TYPE", manifest.package_type));
    lines.push_back(Key("MODEL_NAME", manifest.model));
    if (!manifest.caption.empty()) {
        lines.push_back(Key("MODEL_CAPTION", manifest.caption));
    }
    lines.push_back(Key("ROOT_URL", root.url));
    if (!manifest.notify_url.empty()) {
        lines.push_back(Key("NOTIFY_URL", manifest.notify_url));
    }
    lines.push_back(Key("ENABLE_AUTOSTART_WMKINSTALLER", manifest.autostart ? "1" : "0"));
    lines.push_back(Key("MAP_VERSION", std::to_string(manifest.map_version)));
    lines.push_back(Key("SECOND_VERSION", std::to_string(manifest.second_version)));
    lines.push_back(Key("VERSION_LABEL", manifest.version_label));
    for (const auto& [name, value] : manifest.variables) {
        lines.push_back(Key(name, value));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const PackedFile& file = files[i];
        lines.push_back("[FILE_" + std::to_string(i + 1) + "]");
        lines.push_back(Key("FILEINFO_PATH", file.server_folder));
        lines.push_back(Key("DEST_PATH", file.destination));
        if (!plans[i].file->product_info.empty()) {
            lines.push_back(Key("PRODUCT_INFO", plans[i].file->product_info));
        }
        lines.push_back(Key("AG_FILENAME", file.name));
        lines.push_back(Key("AG_FILESIZE", std::to_string(file.size)));
        lines.push_back(Key("AG_FILECRC", std::to_string(file.crc)));
        lines.push_back(Key("AG_NUMSPAN", std::to_string(file.spans.size())));
        lines.push_back(Key("AG_ZIPNAME", file.archive));
        lines.push_back(Key("AG_LASTNAME", file.last_name));
        lines.push_back(Key("AG_ZIPSIZE", std::to_string(file.archive_size)));
        lines.push_back(Key("AG_PACKAGE", std::to_string(plans[i].file->package_number)));
        lines.push_back(Key("AG_VER", std::to_string(plans[i].file->version)));
        lines.push_back("#");
    }
    lines.push_back("# END");
    return lines;
}

// Whether the client's parser reads `text` as the package meant; the first difference when not.
std::string ReadBackProblem(std::string_view text, const Manifest& manifest, const RootUrl& root,
                            const std::vector<PackedFile>& files, const std::vector<Plan>& plans) {
    PackageInfo context;
    catalog::ParsePackageInfoText(context, text);
    if (catalog::LookupVariable(context, "PACKAGE_TYPE") != manifest.package_type ||
        catalog::LookupVariable(context, "MAP_VERSION") != std::to_string(manifest.map_version) ||
        context.root_url != root.url + "/") {
        return "the header does not read back as written";
    }
    if (context.entries.size() != files.size()) {
        return "the client would read " + std::to_string(context.entries.size()) +
               " entries instead of " + std::to_string(files.size());
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileEntry& entry = context.entries[i];
        const PackedFile& file = files[i];
        const bool same =
            entry.file_name == file.name && entry.destination_path == file.destination &&
            entry.information_path == root.url + "//" + file.server_folder &&
            static_cast<std::uint32_t>(entry.file_size) == file.size && entry.crc == file.crc &&
            static_cast<std::size_t>(entry.part_count) == file.spans.size() &&
            entry.archive_name == file.archive && entry.last_part_name == file.last_name &&
            static_cast<std::uint32_t>(entry.archive_size) == file.archive_size &&
            entry.version == plans[i].file->version &&
            entry.package_number == plans[i].file->package_number;
        if (!same) {
            return "entry " + std::to_string(i + 1) + " (" + file.name +
                   ") does not read back as written";
        }
    }
    return {};
}

std::string CheckHeader(const Manifest& manifest) {
    std::string problem = NameProblem("model", manifest.model);
    if (problem.empty() && manifest.model.find('.') != std::string::npos) {
        // Sign-in takes the model name from "<model>.inf" up to the first '.'.
        problem = "model must not hold '.'";
    }
    const std::pair<const char*, const std::string*> values[] = {
        {"package-type", &manifest.package_type},
        {"caption", &manifest.caption},
        {"version-label", &manifest.version_label},
        {"notify-url", &manifest.notify_url},
    };
    for (const auto& [what, value] : values) {
        if (problem.empty()) {
            problem = ValueProblem(what, *value);
        }
    }
    if (problem.empty() && manifest.package_type.empty()) {
        problem = "package-type must not be empty";
    }
    for (const auto& [name, value] : manifest.variables) {
        if (!problem.empty()) {
            break;
        }
        problem = ValueProblem("variable " + name, value);
        if (problem.empty()) {
            problem = ValueProblem("variable name " + name, name);
        }
        const bool reserved =
            std::find(std::begin(kStandardVariables), std::end(kStandardVariables), name) !=
            std::end(kStandardVariables);
        if (problem.empty() &&
            (name.empty() || name.find_first_of("=[#") != std::string::npos || reserved)) {
            problem = "variable name \"" + name +
                      "\" must not be empty, hold '=', '[' or '#', or be one the packager writes";
        }
    }
    return problem;
}

}  // namespace

std::optional<PackResult> Pack(const Manifest& manifest, const std::string& files_folder,
                               const std::string& content_folder, std::string& error) {
    error = CheckHeader(manifest);
    if (!error.empty()) {
        return std::nullopt;
    }
    const auto root = ParseRootUrl(manifest.root_url, error);
    if (!root) {
        return std::nullopt;
    }
    std::string problem;
    const auto information_folder =
        CleanFolder("information-folder", manifest.information_folder, problem);
    if (!information_folder) {
        error = problem;
        return std::nullopt;
    }
    if (manifest.files.empty()) {
        error = "the manifest lists no file";
        return std::nullopt;
    }
    std::vector<Plan> plans;
    for (const ManifestFile& file : manifest.files) {
        auto plan = PlanFile(manifest, file, files_folder, error);
        if (!plan) {
            return std::nullopt;
        }
        plans.push_back(std::move(*plan));
    }
    error = CheckClashes(plans);
    if (!error.empty()) {
        return std::nullopt;
    }
    auto categories = CategoryLines(manifest, plans, error);
    if (!categories) {
        return std::nullopt;
    }

    PackResult result;
    result.categories = std::move(*categories);
    const std::string package_root = platform::JoinPath(content_folder, root->path);
    for (const Plan& plan : plans) {
        auto packed = PackFile(plan, platform::JoinPath(package_root, plan.server_folder), error);
        if (!packed) {
            return std::nullopt;
        }
        result.files.push_back(std::move(*packed));
    }

    const std::vector<std::string> lines = InformationLines(manifest, *root, result.files, plans);
    std::string utf8;
    for (const std::string& line : lines) {
        if (platform::Utf8ToCp949(line).text.size() > kMaxLineBytes) {
            error = "the line \"" + line.substr(0, 40) + "...\" is longer than the client reads (" +
                    std::to_string(kMaxLineBytes) + " bytes)";
            return std::nullopt;
        }
        utf8 += line + "\r\n";
    }
    problem = ReadBackProblem(utf8, manifest, *root, result.files, plans);
    if (!problem.empty()) {
        error = "the package information file would not read as meant: " + problem;
        return std::nullopt;
    }
    const std::string folder = platform::JoinPath(content_folder, *information_folder);
    result.information_file = platform::JoinPath(folder, manifest.model + ".inf");
    if (!platform::CreateFolderChain(folder) ||
        !platform::WriteFileAtomic(result.information_file, platform::Utf8ToCp949(utf8).text)) {
        error = "cannot write " + result.information_file;
        return std::nullopt;
    }
    return result;
}

}  // namespace mapvale::servers
