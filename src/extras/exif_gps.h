#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "extras/geo_position.h"

namespace mapvale::extras {

// The position in an Exif block (an APP1 segment's contents, starting "Exif\0\0"): the GPS IFD
// that the first IFD points to (tag 0x8825), its latitude (tag 2) and longitude (tag 4) as three
// rationals each, degrees, minutes and seconds, each numerator ÷ denominator. A southern or
// western reference (tags 1 and 3) turns the value negative. Nothing when the block has no such
// position: no GPS IFD, a tag missing or of another type or count, an offset or count outside
// the block, a zero denominator, or a value beyond the 32-bit range.
std::optional<GeoPosition> ReadExifGps(std::string_view exif_payload);

// The APP1 segment the photo writer puts right after the start of image, marker and length
// included: a little-endian TIFF whose first IFD holds only the GPS pointer, and a GPS IFD with
// version 2.2.0.0, "N", the latitude, "E", the longitude, each as degrees/1, minutes/1 and
// hundredths of a second/100. Always kExifGpsSegmentSize bytes.
std::string ExifGpsSegment(const GeoPosition& position);

inline constexpr std::size_t kExifGpsSegmentSize = 150;

}  // namespace mapvale::extras
