#pragma once

#include <string>
#include <string_view>

#include "model/package_info.h"

namespace mapvale::catalog {

// Where a package information file is fetched from: every "http://" is removed from the
// information root, the text up to the first '/' is the host (it may carry ":port"), the rest
// joined with '/' and the file name is the path (doubled '/' collapsed).
struct PackageInfoLocation {
    std::string host;
    std::string path;
};
PackageInfoLocation LocatePackageInfo(std::string_view information_root,
                                      std::string_view file_name);

// Empties the context's variables and entries, fetches information_root/file_name with GET on
// port 80 (unless the host names a port) and parses it (ParsePackageInfoText). 1 when the file
// was received and parsed, 0 when it could not be fetched (the context is then left empty but
// for USERID and PASSWORD).
//
// Blocks for the whole request; the calling thread runs it.
int ReadPackageInfo(PackageInfo& context, std::string_view information_root,
                    std::string_view file_name);

}  // namespace mapvale::catalog
