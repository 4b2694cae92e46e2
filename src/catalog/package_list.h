#pragma once

#include <string_view>
#include <vector>

#include "model/package_info.h"

namespace mapvale::catalog {

// The package list file (Info/PackageInfo.txt, CP949), fields divided by '|':
//  - section 1, up to a line whose field 0 is exactly "##": {code = first character of field 0,
//    number = field 1, text = field 2 trimmed};
//  - section 2, after that line: {kind = field 0, attributes 1-6 = fields 1-6, name = field 7
//    trimmed, display name = field 8 trimmed}, kept only when the name is not empty.
// Missing fields read as empty or 0; empty lines are skipped.

struct PackageList {
    std::vector<PackageListRecord> records;   // section 1
    std::vector<PackageCategory> categories;  // section 2
};

// Parses the file's lines (UTF-8, as ReadCp949Lines gives them).
PackageList ParsePackageList(const std::vector<std::string>& lines);

// Empties both lists, then fills them from the file at `path`. 1 when the file opened, else 0.
int ReadPackageList(std::vector<PackageListRecord>& records,
                    std::vector<PackageCategory>& categories, std::string_view path);

}  // namespace mapvale::catalog
