#include "extras/jpeg_layout.h"

namespace mapvale::extras {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kApp1 = 0xE1;
constexpr std::string_view kExifHeader{"Exif\0\0", 6};

bool IsFrameHeader(int marker) {
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsProgressive(int marker) {
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Markers without a length field.
bool IsStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

int ReadByte(std::istream& in) {
    const int c = in.get();
    return c == std::char_traits<char>::eof() ? -1 : c;
}

}  // namespace

std::optional<JpegLayout> ReadJpegLayout(std::istream& in) {
    if (ReadByte(in) != 0xFF || ReadByte(in) != kSoi) {
        return std::nullopt;
    }
    JpegLayout layout;
    bool have_frame = false;
    std::uint64_t offset = 2;
    for (;;) {
        if (ReadByte(in) != 0xFF) {
            return std::nullopt;
        }
        const std::uint64_t marker_offset = offset;
        // Fill bytes: any number of 0xFF before the marker code.
        int marker = 0xFF;
        while (marker == 0xFF) {
            marker = ReadByte(in);
            ++offset;
        }
        ++offset;
        if (marker < 0) {
            return std::nullopt;
        }
        if (IsStandalone(marker)) {
            continue;
        }
        if (marker == kEoi || marker == kSoi || marker == 0) {
            return std::nullopt;
        }
        const int high = ReadByte(in);
        const int low = ReadByte(in);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        const int length = high << 8 | low;
        if (length < 2) {
            return std::nullopt;
        }
        offset += 2;
        const std::size_t payload_size = static_cast<std::size_t>(length - 2);
        if (marker == kSos) {
            return have_frame ? std::optional<JpegLayout>(std::move(layout)) : std::nullopt;
        }
        const bool want_frame = IsFrameHeader(marker) && !have_frame;
        const bool want_exif =
            marker == kApp1 && !layout.exif_offset && payload_size >= kExifHeader.size();
        if (want_frame || want_exif) {
            std::string payload(payload_size, '\0');
            if (!in.read(payload.data(), static_cast<std::streamsize>(payload_size))) {
                return std::nullopt;
            }
            if (want_frame) {
                // Precision, height, width, component count.
                if (payload_size < 6) {
                    return std::nullopt;
                }
                const auto at = [&](std::size_t i) {
                    return static_cast<unsigned char>(payload[i]);
                };
                layout.height = at(1) << 8 | at(2);
                layout.width = at(3) << 8 | at(4);
                layout.components = at(5);
                layout.progressive = IsProgressive(marker);
                have_frame = true;
            } else if (payload.compare(0, kExifHeader.size(), kExifHeader) == 0) {
                layout.exif_offset = marker_offset;
                layout.exif_size = offset - marker_offset + payload_size;
                layout.exif_payload = std::move(payload);
            }
        } else if (!in.ignore(static_cast<std::streamsize>(payload_size)) ||
                   static_cast<std::size_t>(in.gcount()) != payload_size) {
            return std::nullopt;
        }
        offset += payload_size;
    }
}

}  // namespace mapvale::extras
