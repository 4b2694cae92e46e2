#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mapvale-servers/manifest.h"
#include "model/package_info.h"

namespace mapvale::servers {

// What the packager made of one file of a package.
struct PackedFile {
    std::string name;                // AG_FILENAME
    std::string destination;         // DEST_PATH
    std::string server_folder;       // FILEINFO_PATH: the spans' folder below the root URL
    std::uint32_t size = 0;          // AG_FILESIZE
    std::uint32_t crc = 0;           // AG_FILECRC
    std::string archive;             // AG_ZIPNAME
    std::string last_name;           // AG_LASTNAME
    std::uint32_t archive_size = 0;  // AG_ZIPSIZE
    std::vector<std::string> spans;  // the span files written, full paths, in order
};

struct PackResult {
    std::string information_file;  // full path of the package information file written
    std::vector<PackedFile> files;
    std::vector<PackageCategory> categories;  // the matching lines of Info/PackageInfo.txt
};

// Makes the content of one package from `manifest`, the files in `files_folder` and writes it
// into the content tree `content_folder`:
//
// - each file is put into an ordinary zip archive of its own (libzip, the CP949 name without a
//   folder), which is cut into byte spans of the file's span size: more than one span are named
//   "%s%03d.%s" from the archive's base and extension (Korea001.zip, Korea002.zip, ...), a single
//   span carries the archive's own name. AG_LASTNAME is the name of the last span as served.
//   The spans lie in content_folder + the root URL's path + the file's server folder; spans of
//   an earlier packing that the new one does not have are removed.
// - the package information file, information-folder/<model>.inf, is written last (so that a
//   served tree never announces spans that are not there yet): CP949, CR LF line ends, header
//   variables PACKAGE_TYPE, MODEL_NAME, MODEL_CAPTION (with a caption), ROOT_URL, NOTIFY_URL
//   (when given), ENABLE_AUTOSTART_WMKINSTALLER, MAP_VERSION, SECOND_VERSION, VERSION_LABEL
//   and the manifest's own variables, then one [FILE_n] section per file with every key written
//   (so no value is inherited from the entry before), each followed by a "#" line, and "# END".
//   The file is read back with the client's parser before it is written, and refused when it
//   does not read as meant.
// - the category lines: one per file in order, none for the installer files the client drops
//   ("Install_OrLa.exe", "orlasetup.txt"), one for a trailing run under a category whose name
//   holds '*'; their kind is the device kind of the package type.
//
// Everything is checked before anything is written: names must be plain file names in CP949
// without '|', folders must stay inside the package, values must not hold what the file format
// cuts or expands (CR, LF, '"', '$', "# END"), files and archives must fit in 32-bit sizes and
// 999 spans, no two files may share an archive or a name in one folder, a '*' category must be
// the last one and a file without a category may be followed only by files without one.
// Nothing, with `error` set, when a check or a write fails; spans already written then stay, but
// no information file announces them.
std::optional<PackResult> Pack(const Manifest& manifest, const std::string& files_folder,
                               const std::string& content_folder, std::string& error);

}  // namespace mapvale::servers
