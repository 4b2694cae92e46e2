#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/version_header.h"
#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::catalog {

// The package version file: package name + ".ver", in the package folder on the PC (what was
// downloaded) and in the product folder on the card (what was installed). CP949 text, every
// line ending in "\n":
//   *|map version|second version|package name|version label|colour|option value|mark
//   folder|AG_FILENAME|AG_VER|option value        (one line per file entry, catalogue order)
// The mark is 0 while the download or install that wrote it runs and 1 once it finished.

// Line limits of the readers: the PC and card state readers, and the option value update.
inline constexpr std::size_t kMaxVersionLineBytes = 255;
inline constexpr std::size_t kMaxOptionLineBytes = 1023;

// One file line.
struct VersionFileLine {
    std::string folder;             // field 0
    std::string file_name;          // field 1
    std::int32_t version = 0;       // field 2
    std::int32_t option_value = 0;  // field 3
};

// The file lines among lines as ReadCp949Lines gives them: header lines (field 0 is "*") are
// left out, missing fields read as empty or 0.
std::vector<VersionFileLine> ParseVersionLines(const std::vector<std::string>& lines);

// A header as ReadVersionHeader reads it, into the device's record of it; the colour and the
// option value only when the file states them.
void ApplyVersionHeader(const VersionFileHeader& read, mapvale::VersionHeader& header);

// True when a package name can name a file and a folder: not empty, no separator, NUL, '|', and
// not "." or "..". Version files of other names are neither read nor written.
bool IsSafePackageName(std::string_view package_name);

// folder + "/" + package name + ".ver".
std::string VersionFilePath(std::string_view folder, std::string_view package_name);

// The entry a file line speaks of: the first entry with the line's file name and folder, else
// the first with its file name; nullptr when the package does not list the file.
FileEntry* FindEntryForLine(std::vector<FileEntry>& files, const VersionFileLine& line);

// The whole version file text (UTF-8) for `device` with completion mark `mark` (0 or 1); with
// a card record the folders are written as the card names them (CardVersionFolderText), and
// with mark 0 each line holds the version the card holds now (the entry's card version, -1 for
// none) rather than the package's: the install rewrites the file as each copy lands.
std::string FormatVersionFile(const DeviceEntry& device, const CardInfo* card, int mark);

// Writes the package version file of `device` into `folder` (the package folder on the PC, or
// the product folder on the card with `card` given): 1 when written, 0 when the device has no
// entries or no safe package name, or the file could not be written. The mark is 1 only for
// `completion_mark` 1.
//
// The file is written to a temporary file and renamed into place, its folder created first;
// afterwards every other "*.ver" file in that folder is deleted, so the folder keeps one version
// file. For the package named by IsProgramFilesPackage the card's product folder is mapped as
// CardVersionFolder says.
//
// Install type 200 (camera data only) with mark 1 keeps an existing file and changes only its
// header: field 2 becomes the device's second version number and the mark becomes 1.
//
// Runs on the caller's thread (download or install worker); reads `device` only.
int WriteVersionFile(std::string_view folder, const DeviceEntry& device, const CardInfo* card,
                     int completion_mark);

// Rewrites field 3 of every file line: in the PC version file (data folder + package name +
// "/" + package name + ".ver") to `pc_option_value`; with a card record, in the card's version
// file to the option value of the entry the line names (a line of an unlisted file keeps its
// value). Header lines stay as they are, blank lines are dropped. 1 when every file it was to
// rewrite (the PC file, and the card file with a card record) was rewritten, else 0.
int UpdateOptionValues(const DeviceEntry& device, std::string_view data_folder,
                       const CardInfo* card, std::int32_t pc_option_value);

}  // namespace mapvale::catalog
