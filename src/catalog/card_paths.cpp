#include "catalog/card_paths.h"

#include "catalog/text_fields.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

constexpr std::string_view kProgramFilesPackage = "swiftpath_tarno_corvel_marsel";
constexpr std::string_view kTarnoFolder = "Tarno";

// `folder` with every path component equal to kCardDataFolder replaced by `replacement`, or
// dropped when the replacement is empty.
std::string MapDataComponent(std::string_view folder, std::string_view replacement) {
    const std::string normal = platform::NormalizePath(folder);
    std::string out;
    for (std::string_view part : SplitFields(normal, '/')) {
        if (part == kCardDataFolder) {
            if (replacement.empty()) {
                continue;
            }
            part = replacement;
        }
        if (!out.empty() && out.back() != '/') {
            out.push_back('/');
        }
        out.append(part);
    }
    return out;
}

}  // namespace

bool IsProgramFilesPackage(std::string_view package_name) {
    return EqualsNoCase(TrimText(package_name), kProgramFilesPackage);
}

std::string CardVersionFolderText(std::string_view folder, std::string_view package_name) {
    if (!IsProgramFilesPackage(package_name)) {
        return std::string(folder);
    }
    return MapDataComponent(folder, kProgramFilesFolder);
}

std::string CardFolderOf(std::string_view folder, std::string_view package_name) {
    return MapDataComponent(folder, IsProgramFilesPackage(package_name) ? kProgramFilesFolder : "");
}

std::string CardVersionFolder(std::string_view product_folder, std::string_view card_root,
                              std::string_view package_name) {
    if (!IsProgramFilesPackage(package_name)) {
        return platform::NormalizePath(product_folder);
    }
    return ProgramFilesVersionFolder(product_folder, card_root);
}

std::string ProgramFilesVersionFolder(std::string_view product_folder, std::string_view card_root) {
    std::string folder = platform::NormalizePath(product_folder);
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    const std::string root =
        card_root.empty() ? std::string() : platform::NormalizeFolder(card_root);
    if (!root.empty() && folder == root + std::string(kTarnoFolder)) {
        return root + std::string(kProgramFilesFolder) + "/" + std::string(kTarnoFolder);
    }
    // A Windows-style card path: the product folder right after the drive letter.
    const std::string windows_form = ":/" + std::string(kTarnoFolder);
    const std::size_t at = folder.find(windows_form);
    if (at != std::string::npos &&
        (at + windows_form.size() == folder.size() || folder[at + windows_form.size()] == '/')) {
        folder.insert(at + 2, std::string(kProgramFilesFolder) + "/");
    }
    return folder;
}

}  // namespace mapvale::catalog
