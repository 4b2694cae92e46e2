#include "catalog/variant_files.h"

#include "catalog/card_paths.h"
#include "platform/files.h"

namespace mapvale::catalog {

namespace {

constexpr std::string_view kNormalThemeFiles[] = {
    "ThemeStyle_basic.bin",
    "ThemeStyle_mono.bin",
    "ThemeStyle_night.bin",
    "ThemeStyle_special.bin",
};
constexpr std::string_view kDeepThemeFiles[] = {
    "ThemeStyle_basic_low.bin",
    "ThemeStyle_mono_low.bin",
    "ThemeStyle_night_low.bin",
    "ThemeStyle_special_low.bin",
};

}  // namespace

int ThemeStyleType(std::string_view file_name) {
    for (std::string_view name : kNormalThemeFiles) {
        if (file_name == name) {
            return 1;
        }
    }
    for (std::string_view name : kDeepThemeFiles) {
        if (file_name == name) {
            return 2;
        }
    }
    return 0;
}

std::string InstalledName(std::string_view file_name) {
    if (file_name == "ND_1GB.VB" || file_name == "ND_2GB.VB") {
        return "ND.vb";
    }
    if (file_name == "KOREA_1GB.GPI" || file_name == "KOREA_2GB.GPI") {
        return "Korea.gpi";
    }
    if (ThemeStyleType(file_name) == 2) {
        std::string name(file_name);
        name.erase(name.rfind("_low"), 4);
        return name;
    }
    return std::string(file_name);
}

std::string InstalledCardPath(const FileEntry& entry, std::string_view package_name,
                              std::string_view card_root, std::string_view product_folder) {
    const std::string name = InstalledName(entry.file_name);
    if (ThemeStyleType(entry.file_name) != 0) {
        return platform::JoinPath(platform::JoinPath(product_folder, "Data"), name);
    }
    if (entry.destination_path.empty()) {
        return platform::JoinPath(product_folder, name);
    }
    return platform::JoinPath(
        platform::JoinPath(card_root, CardFolderOf(entry.destination_path, package_name)), name);
}

}  // namespace mapvale::catalog
