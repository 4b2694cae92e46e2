#pragma once

#include <string>
#include <string_view>

namespace mapvale::extras {

// Pictures with more pixels than this are refused before anything is decoded.
inline constexpr long long kMaxSourcePixels = 200'000'000;

// Decodes the JPEG file at `source_path` and encodes it again at `width` × `height` (each at
// least 1): decoded already reduced in the DCT to the smallest eighth that still covers the new
// size, then averaged (or repeated, when growing) to it, and encoded from 24-bit RGB with the
// encoder's defaults, quality 100 and no JFIF segment. The encoded bytes go to `out`.
//
// 0 when done; −2 when the file cannot be read or decoded, is CMYK, has more than
// kMaxSourcePixels, or the size is not positive. A decoding error ends the call, never the
// program. Memory apart from the new picture grows with the source's width only (baseline
// files; a progressive file is held whole by the decoder).
int ScaleJpegFile(const std::string& source_path, int width, int height, std::string& out);

}  // namespace mapvale::extras
