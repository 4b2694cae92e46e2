#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace mapvale::extras {

// What a JPEG's headers say, read up to the start of its scan. Segments are bounded by their
// 16-bit lengths; nothing past the scan's start is read.
struct JpegLayout {
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    // The first APP1 segment that carries Exif ("Exif\0\0"; an XMP APP1 is passed over): where
    // it starts in the file (its 0xFF) and its whole length with marker and length field.
    std::optional<std::uint64_t> exif_offset;
    std::uint64_t exif_size = 0;
    // That segment's contents after its length field, starting with "Exif\0\0".
    std::string exif_payload;
};

// Reads the markers from the stream's current position (which must be the file's start).
// Nothing when the stream is no JPEG, ends early, or reaches the scan without a frame header.
std::optional<JpegLayout> ReadJpegLayout(std::istream& in);

}  // namespace mapvale::extras
