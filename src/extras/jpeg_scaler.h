#pragma once

#include <string>
#include <string_view>

namespace mapvale::extras {

// Pictures with more pixels than this are refused before anything is decoded.
inline constexpr long long kMaxSourcePixels = 200'000'000;

// Decodes the JPEG file at `source_path` and writes it again at `width` × `height` (each at
// least 1) to the descriptor `out_fd`: decoded already reduced in the DCT to the smallest eighth
// that still covers the new size, averaged (or repeated, when growing) to it row by row, and
// encoded as it goes from 24-bit RGB with the encoder's defaults, quality 100, no JFIF segment
// and `app1_payload` (the contents of an APP1 segment) right after the start of image.
//
// 0 when done; −2 when the file cannot be read or decoded, is CMYK, has more than
// kMaxSourcePixels, or the size is not positive; −3 when `out_fd` cannot be written. A decoding
// error ends the call, never the program. Memory grows with the widths only, not with the
// heights (baseline files; a progressive file is held whole by the decoder).
int ScaleJpegFile(const std::string& source_path, int width, int height,
                  std::string_view app1_payload, int out_fd);

}  // namespace mapvale::extras
