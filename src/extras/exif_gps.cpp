#include "extras/exif_gps.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace mapvale::extras {

namespace {

constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::uint16_t kGpsPointerTag = 0x8825;
constexpr std::uint16_t kLatitudeRefTag = 1;
constexpr std::uint16_t kLatitudeTag = 2;
constexpr std::uint16_t kLongitudeRefTag = 3;
constexpr std::uint16_t kLongitudeTag = 4;
constexpr std::uint16_t kTypeByte = 1;
constexpr std::uint16_t kTypeAscii = 2;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeRational = 5;
constexpr std::uint16_t kTypeIfd = 13;

// Bounded reads from the TIFF part of the block in its byte order.
class Tiff {
public:
    explicit Tiff(std::string_view bytes) : bytes_(bytes) {}

    bool ReadOrder() {
        if (bytes_.size() < 8) {
            return false;
        }
        if (bytes_.substr(0, 2) == "II") {
            little_ = true;
        } else if (bytes_.substr(0, 2) != "MM") {
            return false;
        }
        return U16(2) == 42;
    }
    bool Fits(std::uint64_t offset, std::uint64_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::uint16_t U16(std::size_t at) const {
        const auto b0 = Byte(at);
        const auto b1 = Byte(at + 1);
        return static_cast<std::uint16_t>(little_ ? b0 | b1 << 8 : b0 << 8 | b1);
    }
    std::uint32_t U32(std::size_t at) const {
        const std::uint32_t a = U16(at);
        const std::uint32_t b = U16(at + 2);
        return little_ ? a | b << 16 : a << 16 | b;
    }
    unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

private:
    std::string_view bytes_;
    bool little_ = false;
};

struct Entry {
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::size_t value_at = 0;  // where the value field (or the offset in it) is
};

// The entry with `tag` in the IFD at `ifd`, when the IFD lies inside the block.
std::optional<Entry> FindEntry(const Tiff& tiff, std::uint32_t ifd, std::uint16_t tag) {
    if (!tiff.Fits(ifd, 2)) {
        return std::nullopt;
    }
    const std::uint16_t count = tiff.U16(ifd);
    if (!tiff.Fits(std::uint64_t{ifd} + 2, std::uint64_t{count} * 12)) {
        return std::nullopt;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t at = ifd + 2 + std::size_t{i} * 12;
        if (tiff.U16(at) == tag) {
            return Entry{tiff.U16(at + 2), tiff.U32(at + 4), at + 8};
        }
    }
    return std::nullopt;
}

// Degrees, minutes and seconds as one value in units.
std::optional<double> ReadAngle(const Tiff& tiff, std::uint32_t ifd, std::uint16_t tag) {
    const std::optional<Entry> entry = FindEntry(tiff, ifd, tag);
    if (!entry || entry->type != kTypeRational || entry->count != 3) {
        return std::nullopt;
    }
    const std::uint32_t data = tiff.U32(entry->value_at);
    if (!tiff.Fits(data, 24)) {
        return std::nullopt;
    }
    constexpr double kScale[3] = {kUnitsPerDegree, 6'000.0, 100.0};
    double units = 0;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t numerator = tiff.U32(data + 8 * i);
        const std::uint32_t denominator = tiff.U32(data + 8 * i + 4);
        if (denominator == 0) {
            return std::nullopt;
        }
        units += static_cast<double>(numerator) / denominator * kScale[i];
    }
    return units;
}

// 'S' or 'W' in the reference tag; anything else (or none) counts as north and east.
bool IsNegativeReference(const Tiff& tiff, std::uint32_t ifd, std::uint16_t tag, char negative) {
    const std::optional<Entry> entry = FindEntry(tiff, ifd, tag);
    return entry && entry->type == kTypeAscii && entry->count >= 1 &&
           tiff.Byte(entry->value_at) == static_cast<unsigned char>(negative);
}

std::optional<std::int32_t> ToUnits(double units, bool negative) {
    const double rounded = std::round(negative ? -units : units);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

void PutEntry(std::string& out, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
              std::string_view inline_value) {
    PutU16(out, tag);
    PutU16(out, type);
    PutU32(out, count);
    std::string value(inline_value);
    value.resize(4, '\0');
    out += value;
}

void PutEntryAt(std::string& out, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                std::uint32_t offset) {
    PutU16(out, tag);
    PutU16(out, type);
    PutU32(out, count);
    PutU32(out, offset);
}

void PutAngle(std::string& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    PutU32(out, v / kUnitsPerDegree);
    PutU32(out, 1);
    PutU32(out, v % kUnitsPerDegree / 6'000);
    PutU32(out, 1);
    PutU32(out, v % 6'000);
    PutU32(out, 100);
}

}  // namespace

std::optional<GeoPosition> ReadExifGps(std::string_view exif_payload) {
    if (exif_payload.substr(0, kExifHeader.size()) != kExifHeader) {
        return std::nullopt;
    }
    Tiff tiff(exif_payload.substr(kExifHeader.size()));
    if (!tiff.ReadOrder()) {
        return std::nullopt;
    }
    const std::optional<Entry> pointer = FindEntry(tiff, tiff.U32(4), kGpsPointerTag);
    if (!pointer || pointer->count != 1 ||
        (pointer->type != kTypeLong && pointer->type != kTypeIfd)) {
        return std::nullopt;
    }
    const std::uint32_t gps = tiff.U32(pointer->value_at);
    const std::optional<double> latitude = ReadAngle(tiff, gps, kLatitudeTag);
    const std::optional<double> longitude = ReadAngle(tiff, gps, kLongitudeTag);
    if (!latitude || !longitude) {
        return std::nullopt;
    }
    const std::optional<std::int32_t> lat =
        ToUnits(*latitude, IsNegativeReference(tiff, gps, kLatitudeRefTag, 'S'));
    const std::optional<std::int32_t> lon =
        ToUnits(*longitude, IsNegativeReference(tiff, gps, kLongitudeRefTag, 'W'));
    if (!lat || !lon) {
        return std::nullopt;
    }
    return GeoPosition{*lon, *lat};
}

std::string ExifGpsSegment(const GeoPosition& position) {
    // TIFF offsets: IFD0 at 8 (one entry), the GPS IFD at 26 (five entries), the latitude's
    // rationals at 92 and the longitude's at 116; 140 bytes in all.
    constexpr std::uint32_t kIfd0 = 8;
    constexpr std::uint32_t kGpsIfd = kIfd0 + 2 + 12 + 4;
    constexpr std::uint32_t kLatitudeData = kGpsIfd + 2 + 5 * 12 + 4;
    constexpr std::uint32_t kLongitudeData = kLatitudeData + 24;
    constexpr std::uint32_t kTiffSize = kLongitudeData + 24;

    std::string tiff = "II";
    PutU16(tiff, 42);
    PutU32(tiff, kIfd0);
    PutU16(tiff, 1);
    PutEntryAt(tiff, kGpsPointerTag, kTypeLong, 1, kGpsIfd);
    PutU32(tiff, 0);
    PutU16(tiff, 5);
    PutEntry(tiff, 0, kTypeByte, 4, std::string_view("\x02\x02\x00\x00", 4));
    PutEntry(tiff, kLatitudeRefTag, kTypeAscii, 2, std::string_view("N\0", 2));
    PutEntryAt(tiff, kLatitudeTag, kTypeRational, 3, kLatitudeData);
    PutEntry(tiff, kLongitudeRefTag, kTypeAscii, 2, std::string_view("E\0", 2));
    PutEntryAt(tiff, kLongitudeTag, kTypeRational, 3, kLongitudeData);
    PutU32(tiff, 0);
    PutAngle(tiff, position.latitude);
    PutAngle(tiff, position.longitude);
    static_assert(kTiffSize + kExifHeader.size() + 4 == kExifGpsSegmentSize);

    const std::size_t length = 2 + kExifHeader.size() + tiff.size();
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += kExifHeader;
    segment += tiff;
    return segment;
}

}  // namespace mapvale::extras
