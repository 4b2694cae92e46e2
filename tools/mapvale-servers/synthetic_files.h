#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mapvale-servers/zip_writer.h"

namespace mapvale::servers {

// Stand-in map data for demo worlds and tests: the same seed and size give the same bytes on
// every machine and every run. The bytes do not compress, so archives and spans are about as
// large as the files.
std::string SyntheticBytes(std::string_view seed, std::size_t size);

// A self-extracting program as the maker ships some package parts: a program stub followed by
// a zip archive of `members` whose offsets do not count the stub. The archive is made in
// `scratch_folder` (created when missing) and removed again. Nothing, with `error` set, when it
// cannot be made.
std::optional<std::string> SelfExtractingProgram(std::string_view stub,
                                                 const std::vector<ZipMember>& members,
                                                 const std::string& scratch_folder,
                                                 std::string& error);

}  // namespace mapvale::servers
