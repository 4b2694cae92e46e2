// Feeds photo headers through the JPEG marker walk and the Exif GPS reader: the input as a whole
// file, and as an Exif block on its own.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "extras/exif_gps.h"
#include "extras/jpeg_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace extras = mapvale::extras;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::istringstream in(bytes);
    if (const std::optional<extras::JpegLayout> layout = extras::ReadJpegLayout(in)) {
        if (layout->exif_offset && (*layout->exif_offset + layout->exif_size > size ||
                                    layout->exif_payload.size() + 4 > layout->exif_size)) {
            __builtin_trap();
        }
        extras::ReadExifGps(layout->exif_payload);
    }
    // The block alone, also behind the header the reader expects.
    extras::ReadExifGps(bytes);
    if (const auto position = extras::ReadExifGps(std::string("Exif\0\0", 6) + bytes)) {
        // What we read, we can write and read again.
        if (extras::InValidArea(*position) &&
            extras::ReadExifGps(extras::ExifGpsSegment(*position).substr(4)) != position) {
            __builtin_trap();
        }
    }
    return 0;
}
