#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/package_info.h"

namespace mapvale::catalog {

// Lines of a package information file longer than this many bytes are cut to it (at a UTF-8
// character boundary) before they are read; the rest of such a line is ignored.
inline constexpr std::size_t kMaxPackageInfoLineBytes = 1023;

// Which sections' items a parse stores: all, or only those of "[FILE_" sections (items of a
// "[FOLDER_" section are read and dropped, as readers that know only files need).
enum class EntrySections { kFilesAndFolders, kFilesOnly };

// Reads the text of a package information file (UTF-8) into `context`, replacing what it held:
// the variables start with USERID and PASSWORD (from context.user_id and context.password), the
// entries and the root URL start empty. Never fails: malformed lines leave values empty or 0.
//
// Entries whose names would leave the package folder (AG_FILENAME, DEST_PATH, AG_ZIPNAME or
// AG_LASTNAME absolute, with a drive prefix or a ".." component), or that hold a '|' which the
// version files cannot carry, are not stored. DEST_PATH is kept relative with '/' separators.
void ParsePackageInfoText(PackageInfo& context, std::string_view text,
                          EntrySections sections = EntrySections::kFilesAndFolders);

// A file size of the package information file (AG_FILESIZE, AG_ZIPSIZE): bytes as an unsigned
// 32-bit number (0 to 4 GiB - 1) in decimal text. Leading white space is skipped and reading
// stops at the first other character; text without digits (a sign included) gives 0, a larger
// number 4 GiB - 1. Sizes on disk are compared with it as 64-bit unsigned numbers.
std::uint32_t ParseFileSize(std::string_view text);

// The value of the first variable whose name contains `key`, or the empty string.
std::string LookupVariable(const PackageInfo& context, std::string_view key);

}  // namespace mapvale::catalog
