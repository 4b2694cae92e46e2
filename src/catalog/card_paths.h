#pragma once

#include <string>
#include <string_view>

namespace mapvale::catalog {

// Folder names on the memory card. Packages keep the card's content under the PC folder
// "메모리카드데이터"; on the card that folder is "Program Files" for one package and is left out
// (its content lies at the card root) for every other.

inline constexpr std::string_view kCardDataFolder = "메모리카드데이터";
inline constexpr std::string_view kProgramFilesFolder = "Program Files";

// True for the package whose card folders live under "Program Files" (its name compared after
// trimming, without regard to case).
bool IsProgramFilesPackage(std::string_view package_name);

// An entry's destination folder as written into the card's version file: "메모리카드데이터"
// becomes "Program Files" for that package, other packages keep the text.
std::string CardVersionFolderText(std::string_view folder, std::string_view package_name);

// An entry's destination folder on the card, relative to the card root.
std::string CardFolderOf(std::string_view folder, std::string_view package_name);

// The folder that holds the card's version file: for that package a product folder
// `card_root` + "Tarno" (or a Windows-style "X:/Tarno") lies under "Program Files"; every other
// folder stays as it is. Normalised with '/'.
std::string CardVersionFolder(std::string_view product_folder, std::string_view card_root,
                              std::string_view package_name);

// The folder that holds the version file of the "Program Files" package for `product_folder`,
// whatever package the caller has in mind: where a card is searched for that package's file.
std::string ProgramFilesVersionFolder(std::string_view product_folder, std::string_view card_root);

}  // namespace mapvale::catalog
