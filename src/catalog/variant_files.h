#pragma once

#include <string>
#include <string_view>

#include "model/file_entry.h"

namespace mapvale::catalog {

// Files that a package carries in two variants and a card holds under one name.

// 1 for the four theme style files of normal colours ("ThemeStyle_basic.bin", "_mono", "_night",
// "_special"), 2 for their deep-colour variants (the same names with "_low" before ".bin"),
// 0 for every other name. Exact comparison.
int ThemeStyleType(std::string_view file_name);

// The name a file has on the card, relative to the folder it is installed in: "ND.vb" for
// "ND_1GB.VB" and "ND_2GB.VB", "Korea.gpi" for "KOREA_1GB.GPI" and "KOREA_2GB.GPI", a theme
// style file without "_low"; every other file keeps its name.
std::string InstalledName(std::string_view file_name);

// Where the card comparison looks for an entry's installed file: theme style files under
// product folder + "/Data/", every other file under card root + its card folder (CardFolderOf),
// or under the product folder when it has no folder. '/' separators.
std::string InstalledCardPath(const FileEntry& entry, std::string_view package_name,
                              std::string_view card_root, std::string_view product_folder);

}  // namespace mapvale::catalog
