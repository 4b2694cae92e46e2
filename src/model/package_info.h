#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/file_entry.h"

namespace mapvale {

// The parsed package information file of one unit model: header variables in file order
// (preceded by USERID and PASSWORD) and the file entries in file order.
struct PackageInfo {
    std::vector<std::pair<std::string, std::string>> variables;
    std::vector<FileEntry> entries;
    // File names of entries left out because a name or folder would leave its folder.
    std::vector<std::string> refused_entries;
    std::string user_id;   // value of the variable USERID
    std::string password;  // value of the variable PASSWORD
    std::string root_url;  // ROOT_URL + '/'
};

// A record of the first section of the package list file (Info/PackageInfo.txt). The controller
// sorts these into its device-family lists by `code`.
struct PackageListRecord {
    char code = 0;            // first character of field 0
    std::int32_t number = 0;  // field 1
    std::string text;         // field 2, trimmed
};

// A category of the package list file's second section: files the package entries of devices
// of one kind and gives each filed entry its display name and six attributes.
struct PackageCategory {
    std::int32_t kind = 0;                     // device kind the category serves
    std::array<std::int32_t, 6> attributes{};  // attributes 1-6, [0] is attribute 1
    std::string name;                          // a name containing '*' files every remaining entry
    std::string display_name;                  // becomes FileEntry::category
};

}  // namespace mapvale
