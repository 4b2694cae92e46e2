#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::catalog {

// The catalogue's text files (package list, version files) are CP949 on disk and UTF-8 in
// memory. Lines end in LF, optionally preceded by CR. A line longer than `max_line_bytes` bytes
// of the file is cut to that length and the rest of it is dropped (never read as a line of its
// own). Empty lines are left out. Bytes that are not CP949 become '?'.

std::vector<std::string> SplitCp949Lines(std::string_view bytes, std::size_t max_line_bytes);

// The lines of the file at `path`, read in pieces, or nothing when it cannot be opened.
std::optional<std::vector<std::string>> ReadCp949Lines(std::string_view path,
                                                       std::size_t max_line_bytes);

// UTF-8 text as the bytes that go to disk.
std::string ToCp949(std::string_view utf8);

}  // namespace mapvale::catalog
