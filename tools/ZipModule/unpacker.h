#pragma once

#include <cstddef>
#include <string>

#include "ZipModule/exit_code.h"

namespace mapvale::zipmodule {

// Member data passes through one buffer of this size, whatever the archive's size.
constexpr std::size_t kCopyBufferSize = std::size_t{1} << 20;

// Extracts the zip archive at `archive_path` into the folder `destination` (created when
// missing), keeping the archive's folders.
//
// The archive may be:
// - an ordinary zip archive, Zip64 included;
// - the last volume of a spanned archive whose other volumes lie beside it as base.000,
//   base.001, ...: the volumes are read in order as one stream, never joined on disk;
// - a self-extracting program: a zip archive with a program stub in front, whether or not its
//   offsets were adjusted to count the stub.
//
// Nothing is written until every member has been checked: a name or link that would leave the
// destination, a name that is not readable text, an encrypted member or an unknown compression
// method fails the archive first. Each file is written under a temporary name and renamed over
// the final one only when its length and CRC have checked out, so a failed or interrupted run
// never leaves a partial file under a final name; files written before a failure stay.
// Existing files are replaced. File times and Unix permission bits are taken from the archive;
// links are never created (one whose target stays inside is written as a file holding the
// target's text).
Outcome Unpack(const std::string& archive_path, const std::string& destination);

}  // namespace mapvale::zipmodule
