#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mapvale::update {

// One line of a patch list (the server's UpdateInfo.txt or the program folder's
// Info/UpdateInfo.txt): "version|archive flag|path".
struct PatchEntry {
    std::int32_t version = 0;
    std::int32_t archive = 0;  // 1: travels as a zip archive; anything else: as itself
    std::string folder;        // sub-folder of the program folder, "" or ending in '/'
    std::string name;          // file name, never empty
    std::int32_t pending = 0;  // 1 while the file still has to be fetched or installed
    std::int64_t size = 0;     // bytes, from the size probe

    bool is_archive() const { return archive == 1; }
    // folder + name, relative to the program folder.
    std::string path() const { return folder + name; }
};

// Longest line taken from a patch list; longer ones are refused.
inline constexpr std::size_t kMaxPatchLineBytes = 4096;

// Reads one line (without its line end; surrounding blanks are ignored). Nothing when the line
// is not an entry: fewer than two '|', a version or flag that is not a 32-bit decimal number, a
// path without a file name, or a path that would leave the program folder (absolute, a drive
// prefix, "..", a NUL byte). '\' in the path counts as '/'.
std::optional<PatchEntry> ParsePatchLine(std::string_view line);

// "version|archive|folder+name\r\n", the form the local list is written in.
std::string FormatPatchLine(const PatchEntry& entry);

// The name the file has on the server: for an archive the file name up to its first '.' plus
// ".zip" ("Mapvale" -> "Mapvale.zip", "Map.dat" -> "Map.zip"), else the file name.
std::string DownloadName(const PatchEntry& entry);

}  // namespace mapvale::update
