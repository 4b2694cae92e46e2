#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapvale::update {

// Prefixes of the names the installation uses beside a file: "__" + name is the new copy before
// it takes the file's place, "_" + name the old program left behind (deleted by the next check).
inline constexpr std::string_view kNewCopyPrefix = "__";
inline constexpr std::string_view kOldCopyPrefix = "_";

// Whether the file `name`, to be installed at `target_path`, is a program: one of the three
// programs of the program folder, a name whose extension (after its first '.') is "exe" in any
// case, or a target that exists with an executable bit. A program's old file is kept as "_" +
// name when the new one replaces it, so a running program is never written over.
bool IsProgramFile(std::string_view name, const std::string& target_path);

// Installs the downloaded `source` as `folder` + `name` (`folder` absolute, ending in '/',
// created when missing) so that a crash at any point leaves a whole old or a whole new file under
// the name, never a partial one and never no file:
//
//  1. StagePatchFile copies the source to `folder` + "__" + name, flushed to disk, with the
//     permission bits of the file it replaces (a new file gets 0777 for a program, 0666 for
//     anything else, less the umask).
//  2. CommitPatchFile, for a program: the present file is linked (or, where links fail, renamed)
//     to "_" + name; then the copy is renamed over the name. For any other file only the rename.
//
// True when the new file is in place. On failure the old file is unchanged under its name and no
// "__" copy is left.
//
// Thread safety: none; one installation at a time per folder.
bool InstallPatchFile(const std::string& source, const std::string& folder,
                      const std::string& name);

// Step 1 alone: the path of the staged copy, or nothing (no copy left) when it failed.
std::optional<std::string> StagePatchFile(const std::string& source, const std::string& folder,
                                          const std::string& name);
// Step 2 alone for a copy made by StagePatchFile. On failure the copy is deleted.
bool CommitPatchFile(const std::string& staged, const std::string& folder, const std::string& name,
                     bool program);

}  // namespace mapvale::update
