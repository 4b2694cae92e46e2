#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "update/patch_entry.h"

namespace mapvale::update {

// Most entries taken from one list; the rest of a longer list is ignored.
inline constexpr std::size_t kMaxPatchEntries = 10000;
// A local list larger than this is not read (it is treated as missing).
inline constexpr std::size_t kMaxLocalListBytes = 1u << 20;

// The server's patch list as the check reads it.
struct ServerPatchList {
    std::vector<PatchEntry> entries;
    // A line holding "DlgView" and, in any case, "true" asks for the update dialog; without one
    // the update runs hidden.
    bool show_dialog = false;
    // Lines that were neither empty, nor DlgView lines, nor entries (see ParsePatchLine).
    std::size_t refused_lines = 0;
};

// The server's text: lines trimmed, empty lines skipped, DlgView lines read for the flag, every
// other line an entry when ParsePatchLine takes it.
ServerPatchList ParseServerPatchList(std::string_view text);

// The program folder's copy: read up to the first empty line; lines that are not entries are
// skipped.
std::vector<PatchEntry> ParseLocalPatchList(std::string_view text);
// The local list from `path`; empty when the file is missing, unreadable or too large.
std::vector<PatchEntry> ReadLocalPatchList(const std::string& path);

// A server entry is current when the local list holds an entry with the same file name (exact,
// case-sensitive; the sub-folder does not count) and a version at least as high.
bool IsCurrent(const PatchEntry& server_entry, const std::vector<PatchEntry>& local);

// The list to record after an update: for every server entry, in server order, its own line when
// `settled[i]` (it was current or has been installed), else the local line of the same file name
// when there is one (so a file whose download or installation failed is fetched again next
// time), else nothing; then every local line whose file this server list does not name (the
// updater and the tray agent share the local list). `settled` has one flag per server entry.
std::vector<PatchEntry> RecordedPatchList(const std::vector<PatchEntry>& server,
                                          const std::vector<PatchEntry>& local,
                                          const std::vector<bool>& settled);

// Every entry as FormatPatchLine writes it.
std::string FormatPatchList(const std::vector<PatchEntry>& entries);
// Replaces the file at `path` with the list so that a crash leaves the old or the new list
// (folders are created). False when it could not be written.
bool WriteLocalPatchList(const std::string& path, const std::vector<PatchEntry>& entries);

}  // namespace mapvale::update
