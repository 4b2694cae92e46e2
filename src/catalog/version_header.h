#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale::catalog {

// The header line of a package version file ("*|map version|second version|package|label|
// colour|option|completion mark"), as read from a PC folder or a card. Text fields are UTF-8
// (the file is CP949); numbers are read as atoi reads them, saturating instead of overflowing.
struct VersionFileHeader {
    std::int32_t map_version = 0;      // field 1
    std::int32_t second_version = 0;   // field 2
    std::string package_name;          // field 3
    std::string version_label;         // field 4
    std::string colour;                // field 5 as written, empty when missing
    std::string option;                // field 6 as written, empty when missing
    std::int32_t completion_mark = 0;  // field 7: 1 = the job that wrote the file finished
};

// Version files are short text; a header is looked for in the first 4 KiB, and a header line
// longer than the readers' 255-character lines is refused.
inline constexpr std::size_t kMaxHeaderLine = 255;

// The header of a version file's text: its first line that is not blank, when that line's field
// 0 is "*". Nothing for any other first line (a file line read as a header would yield wrong
// numbers) or for text that is not CP949.
std::optional<VersionFileHeader> ParseVersionHeader(std::string_view cp949_text);

// The header of the version file at `path`, or nothing when it is missing or has none.
std::optional<VersionFileHeader> ReadVersionHeader(std::string_view path);

// The package name (field 3) of the first "*.ver" file in `product_folder` (names compared
// without case for the extension, the first by byte order of the name, so that every file system
// gives the same answer); empty when there is no such file or it has no header.
std::string ReadCardModel(std::string_view product_folder);

// The header of product folder + "/" + model name + ".ver": the card's record of what was
// installed. Nothing when the model name is empty or not a plain file name, or the file is missing
// or has no header.
std::optional<VersionFileHeader> ReadCardHeader(std::string_view product_folder,
                                            std::string_view model_name);

}  // namespace mapvale::catalog
