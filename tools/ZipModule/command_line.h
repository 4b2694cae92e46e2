#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapvale::zipmodule {

// What the program was asked to do.
struct Invocation {
    std::string archive;      // the archive (for a spanned one, its last volume)
    std::string destination;  // the folder to extract into
};

struct ParsedCommandLine {
    bool ok = false;
    Invocation invocation;
    std::string error;  // one line, when not ok
};

// The two call forms: `archive destination` (the download engine) and `archive` alone (the
// self-update: the files go to `program_folder`). Each argument may still carry the one pair
// of double quotes its caller enclosed it in; '\' separators become '/'. `args` excludes the
// program's own name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const std::string& program_folder);

// `text` without one pair of surrounding double quotes, when it has them.
std::string_view StripQuotes(std::string_view text);

// The program folder: $MAPVALE_PROGRAM_DIR when set, else the folder holding this program.
// Ends in '/'.
std::string ProgramFolder();

}  // namespace mapvale::zipmodule
