#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_entry.h"

namespace mapvale::net {
class CWebPOST;
}

namespace mapvale::catalog {

// Where a package information address (as the version query answers it) is fetched from: an
// "http://" or "https://" prefix (any case) is removed, the text up to the first '/' is the
// host (it may carry ":port"), the rest the path ("/" when there is none). Nothing when no host
// is left.
struct PackageAddress {
    std::string host;
    std::string path;
    bool secure = false;
};
std::optional<PackageAddress> SplitPackageAddress(std::string_view address);

// The entries of the "[FILE_" sections of the package information file at `address` (white
// space around it ignored); empty when the address is unusable or the file cannot be fetched.
//
// Blocks for the whole request; the calling thread runs it.
std::vector<FileEntry> FetchPackageFileEntries(net::CWebPOST& web, std::string_view address);

// Lines of a card's version file longer than this are not read; a file is read up to
// kMaxCardVersionFileBytes, which is far more than any package needs.
inline constexpr std::size_t kMaxCardVersionLine = 254;
inline constexpr std::size_t kMaxCardVersionFileBytes = 8u << 20;

// Whether the card's version file at `path` says the card holds `entries` (a package's files)
// in their current versions. Read line by line, skipping blank and over-long lines:
// - a header line (field 0 begins with '*') whose field 7 is exactly "0" (the last install did
//   not finish) makes the card out of date and ends the reading;
// - a file line (folder|name|version|...) makes it out of date when an entry has the line's file
//   name, the line's folder, and an AG_VER other than the line's version, unless the line's
//   version is "-1" (a file the install had not copied yet). Folders compare with '\' read as
//   '/', doubled and outer separators dropped, and the entry's folder as the card names it for
//   `package_name` (CardVersionFolderText). Files only on the card or only in the package
//   change nothing.
// A file that cannot be opened leaves the card up to date: without a record there is nothing to
// call old. CP949 text; bytes that are not CP949 read as '?'.
bool IsCardUpToDate(const std::vector<FileEntry>& entries, std::string_view path,
                    std::string_view package_name);

}  // namespace mapvale::catalog
