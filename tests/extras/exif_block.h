#pragma once

// Exif blocks written the way cameras write them, for reading tests: either byte order, the GPS
// IFD after IFD0 and its values after it.

#include <cstdint>
#include <string>
#include <vector>

namespace mapvale::extras::test {

struct TiffEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    // Inline value (up to 4 bytes, in the block's order) or, for rationals, their numbers.
    std::vector<std::uint32_t> numbers;
    std::string inline_bytes;
};

class ExifBlock {
public:
    explicit ExifBlock(bool big_endian = false) : big_(big_endian) {}

    // Payload "Exif\0\0" + TIFF with IFD0 = {0x8825 → GPS IFD, plus `ifd0_extra`} and `gps`.
    std::string Payload(const std::vector<TiffEntry>& gps,
                        const std::vector<TiffEntry>& ifd0_extra = {}) const {
        std::string tiff = big_ ? "MM" : "II";
        U16(tiff, 42);
        U32(tiff, 8);
        const std::uint32_t ifd0_size =
            static_cast<std::uint32_t>(2 + 12 * (1 + ifd0_extra.size()) + 4);
        const std::uint32_t gps_at = 8 + ifd0_size;
        U16(tiff, static_cast<std::uint16_t>(1 + ifd0_extra.size()));
        for (const TiffEntry& e : ifd0_extra) {
            Entry(tiff, e, 0);
        }
        Entry(tiff, {0x8825, 4, 1, {gps_at}, {}}, 0);
        U32(tiff, 0);
        std::uint32_t data_at = gps_at + static_cast<std::uint32_t>(2 + 12 * gps.size() + 4);
        std::string data;
        U16(tiff, static_cast<std::uint16_t>(gps.size()));
        for (const TiffEntry& e : gps) {
            if (e.type == 5) {
                Entry(tiff,
                      {e.tag,
                       e.type,
                       e.count,
                       {data_at + static_cast<std::uint32_t>(data.size())},
                       {}},
                      0);
                for (std::uint32_t n : e.numbers) {
                    U32(data, n);
                }
            } else {
                Entry(tiff, e, 0);
            }
        }
        U32(tiff, 0);
        return std::string("Exif\0\0", 6) + tiff + data;
    }

    static TiffEntry Angle(std::uint16_t tag, std::vector<std::uint32_t> numbers) {
        return {tag, 5, 3, std::move(numbers), {}};
    }
    static TiffEntry Ref(std::uint16_t tag, char letter) {
        return {tag, 2, 2, {}, std::string{letter, '\0'}};
    }

private:
    void U16(std::string& out, std::uint16_t v) const {
        const char lo = static_cast<char>(v & 0xFF);
        const char hi = static_cast<char>(v >> 8);
        out += big_ ? hi : lo;
        out += big_ ? lo : hi;
    }
    void U32(std::string& out, std::uint32_t v) const {
        const auto lo = static_cast<std::uint16_t>(v & 0xFFFF);
        const auto hi = static_cast<std::uint16_t>(v >> 16);
        U16(out, big_ ? hi : lo);
        U16(out, big_ ? lo : hi);
    }
    void Entry(std::string& out, const TiffEntry& e, int) const {
        U16(out, e.tag);
        U16(out, e.type);
        U32(out, e.count);
        if (!e.inline_bytes.empty()) {
            std::string v = e.inline_bytes;
            v.resize(4, '\0');
            out += v;
        } else {
            U32(out, e.numbers.empty() ? 0 : e.numbers[0]);
        }
    }

    bool big_;
};

}  // namespace mapvale::extras::test
