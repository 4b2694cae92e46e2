#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::catalog {

// The volume set of an archive cut into spans: what the unpacker reads. Spans arrive as
// base001.ext ... baseNNN.ext (SpanName); the set is base.000, base.001, ... for all but the
// last span, and the archive's own name (base.ext) for the last one, so "Korea001.zip,
// Korea002.zip, Korea003.zip" become "Korea.000, Korea.001, Korea.zip". A single span already
// is the archive and its set is the archive alone.

// The name of volume `index` (1 to part_count) of the set: base + "." + three digits of
// index - 1 below part_count, the archive name itself for the last one.
std::string VolumeName(std::string_view archive_name, int part_count, int index);

// The names of the volume set, in order: for part_count 1 (or less) the archive name alone.
std::vector<std::string> VolumeNames(std::string_view archive_name, int part_count);

// Results of VolumeJoin.
inline constexpr int kJoinComplete = 1;          // both sums equal the archive size
inline constexpr int kJoinSpanMissing = 0;       // a span was not there; nothing after it moved
inline constexpr int kJoinRenamedShort = -1;     // the spans summed right, the set does not
inline constexpr int kJoinDownloadedShort = -2;  // the spans did not sum to the archive size

// Renames the downloaded spans of `archive_name` in `folder` into its volume set
// (part_count >= 2), replacing volumes left from before, and compares the byte sums with
// `archive_size` (AG_ZIPSIZE, read as unsigned 32-bit). A span that cannot be renamed counts
// like a volume of size 0. Runs on the download worker.
int VolumeJoin(std::string_view folder, std::string_view archive_name, int part_count,
               std::uint32_t archive_size);

// Deletes the volume set of `archive_name` in `folder`, in order, stopping at the first volume
// that is not there.
void DeleteVolumeSet(std::string_view folder, std::string_view archive_name, int part_count);

}  // namespace mapvale::catalog
