#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mapvale::servers {

// One member of an archive to write. Its bytes come from a file or from memory.
struct ZipMember {
    std::string name;                  // UTF-8; stored as CP949 bytes without the UTF-8 flag
    std::string source_path;           // the file holding the member's bytes ...
    std::optional<std::string> bytes;  // ... or the bytes themselves (then dated 2024-01-01)
};

// Writes an ordinary zip archive at `path` (replacing a file there) holding `members` in order,
// deflated. Member names are written the way the maker's archives carry them: CP949 bytes with
// no UTF-8 mark, which is how the unpacker reads unmarked names.
//
// False, with `error` set and no archive left at `path`, when a name has no CP949 form, a
// source cannot be read or the archive cannot be written.
bool WriteZipArchive(const std::string& path, const std::vector<ZipMember>& members,
                     std::string& error);

}  // namespace mapvale::servers
