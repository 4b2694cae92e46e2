#pragma once

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
    std::string user_id;   // value of the variable USERID
    std::string password;  // value of the variable PASSWORD
    std::string root_url;  // ROOT_URL + '/'
};

}  // namespace mapvale
