#include "extras/exif_gps.h"

#include <gtest/gtest.h>
#include <libexif/exif-data.h>

#include <cstring>

#include "extras/exif_block.h"

namespace mapvale::extras {
namespace {

using test::ExifBlock;
using test::TiffEntry;

constexpr GeoPosition kSeoul{45'712'080, 13'523'760};  // 126.978°, 37.566°

std::vector<TiffEntry> Gps(std::vector<std::uint32_t> latitude,
                           std::vector<std::uint32_t> longitude) {
    return {ExifBlock::Ref(1, 'N'), ExifBlock::Angle(2, std::move(latitude)),
            ExifBlock::Ref(3, 'E'), ExifBlock::Angle(4, std::move(longitude))};
}

TEST(ExifGps, OurBlockIsOneFixedSegmentThatReadsBackExactly) {
    const std::string segment = ExifGpsSegment(kSeoul);
    ASSERT_EQ(segment.size(), kExifGpsSegmentSize);
    EXPECT_EQ(segment.substr(0, 4), std::string("\xFF\xE1\x00\x94", 4));
    EXPECT_EQ(ReadExifGps(segment.substr(4)), kSeoul);
    for (const GeoPosition corner :
         {GeoPosition{kMinLongitude, kMinLatitude}, GeoPosition{kMaxLongitude, kMaxLatitude},
          GeoPosition{45'720'059, 13'505'999}}) {
        EXPECT_EQ(ReadExifGps(ExifGpsSegment(corner).substr(4)), corner);
    }
}

// Another reader of the same block: version, references and the three rationals of each angle.
TEST(ExifGps, AnotherExifReaderSeesVersionReferencesAndRationals) {
    const std::string segment = ExifGpsSegment(kSeoul);
    // libexif wants the whole APP1 segment with its marker.
    ExifData* data = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(segment.data()),
                                             static_cast<unsigned>(segment.size()));
    ASSERT_NE(data, nullptr);
    ExifContent* gps = data->ifd[EXIF_IFD_GPS];
    ASSERT_NE(gps, nullptr);
    const ExifByteOrder order = exif_data_get_byte_order(data);
    EXPECT_EQ(order, EXIF_BYTE_ORDER_INTEL);

    ExifEntry* version = exif_content_get_entry(gps, static_cast<ExifTag>(0));
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(version->size, 4u);
    EXPECT_EQ(std::memcmp(version->data, "\x02\x02\x00\x00", 4), 0);
    ExifEntry* lat_ref = exif_content_get_entry(gps, static_cast<ExifTag>(1));
    ASSERT_NE(lat_ref, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(lat_ref->data), "N");
    ExifEntry* lon_ref = exif_content_get_entry(gps, static_cast<ExifTag>(3));
    ASSERT_NE(lon_ref, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(lon_ref->data), "E");

    const auto rational = [&](int tag, int index) {
        ExifEntry* e = exif_content_get_entry(gps, static_cast<ExifTag>(tag));
        EXPECT_NE(e, nullptr);
        EXPECT_EQ(e->format, EXIF_FORMAT_RATIONAL);
        EXPECT_EQ(e->components, 3u);
        const ExifRational r = exif_get_rational(e->data + 8 * index, order);
        return std::pair<unsigned, unsigned>(r.numerator, r.denominator);
    };
    // 37.566° = 37° 33' 57.60"; 126.978° = 126° 58' 40.80".
    EXPECT_EQ(rational(2, 0), std::pair(37u, 1u));
    EXPECT_EQ(rational(2, 1), std::pair(33u, 1u));
    EXPECT_EQ(rational(2, 2), std::pair(5760u, 100u));
    EXPECT_EQ(rational(4, 0), std::pair(126u, 1u));
    EXPECT_EQ(rational(4, 1), std::pair(58u, 1u));
    EXPECT_EQ(rational(4, 2), std::pair(4080u, 100u));
    exif_data_unref(data);
}

TEST(ExifGps, CameraBlocksAreReadByTheirDenominatorsInEitherByteOrder) {
    for (const bool big_endian : {false, true}) {
        SCOPED_TRACE(big_endian ? "MM" : "II");
        const ExifBlock block(big_endian);
        // 37° 33' 57.60" as a camera writes it: seconds 5760/100, or 57600/1000.
        EXPECT_EQ(
            ReadExifGps(block.Payload(Gps({37, 1, 33, 1, 57600, 1000}, {126, 1, 58, 1, 408, 10}))),
            kSeoul);
        // Minutes as a decimal fraction with zero seconds: 33.96' = 33' 57.6".
        EXPECT_EQ(
            ReadExifGps(block.Payload(Gps({37, 1, 3396, 100, 0, 1}, {126, 1, 5868, 100, 0, 1}))),
            kSeoul);
        // 5025/1000 seconds is 5.025", half a hundredth above 5.02: rounded to 503.
        const std::optional<GeoPosition> camera =
            ReadExifGps(block.Payload(Gps({37, 1, 0, 1, 5025, 1000}, {127, 1, 0, 1, 0, 1})));
        ASSERT_TRUE(camera);
        EXPECT_EQ(camera->latitude, 37 * 360'000 + 503);
    }
}

TEST(ExifGps, SouthAndWestReadNegativeAndSoOutsideTheArea) {
    const ExifBlock block;
    std::vector<TiffEntry> gps = Gps({37, 1, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1});
    gps[0] = ExifBlock::Ref(1, 'S');
    gps[2] = ExifBlock::Ref(3, 'W');
    const std::optional<GeoPosition> read = ReadExifGps(block.Payload(gps));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (GeoPosition{-127 * 360'000, -37 * 360'000}));
    EXPECT_FALSE(InValidArea(*read));
}

TEST(ExifGps, BrokenBlocksHaveNoPosition) {
    const ExifBlock block;
    const std::string good = block.Payload(Gps({37, 1, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1}));
    ASSERT_TRUE(ReadExifGps(good));

    EXPECT_FALSE(ReadExifGps(""));
    EXPECT_FALSE(ReadExifGps("Exif"));
    EXPECT_FALSE(ReadExifGps(std::string("Exif\0\0XX*\0", 10)));
    // Cut anywhere: never reads past the end.
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(ReadExifGps(good.substr(0, size))) << size;
    }
    // A zero denominator.
    EXPECT_FALSE(ReadExifGps(block.Payload(Gps({37, 0, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1}))));
    // Latitude of the wrong type (SRATIONAL) or count.
    std::vector<TiffEntry> gps = Gps({37, 1, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1});
    gps[1].type = 10;
    EXPECT_FALSE(ReadExifGps(block.Payload(gps)));
    gps = Gps({37, 1, 0, 1}, {127, 1, 0, 1, 0, 1});
    gps[1].count = 2;
    EXPECT_FALSE(ReadExifGps(block.Payload(gps)));
    // No longitude.
    gps = Gps({37, 1, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1});
    gps.pop_back();
    EXPECT_FALSE(ReadExifGps(block.Payload(gps)));
    // Degrees beyond what 32 bits of units hold.
    EXPECT_FALSE(
        ReadExifGps(block.Payload(Gps({4'000'000'000u, 1, 0, 1, 0, 1}, {127, 1, 0, 1, 0, 1}))));

    // The GPS pointer to IFD0 itself (a loop), past the end, or an IFD count past the end.
    std::string loop = good;
    const std::size_t pointer_value = 6 + 8 + 2 + 8;
    loop[pointer_value] = 8;
    EXPECT_FALSE(ReadExifGps(loop));
    std::string far = good;
    far[pointer_value + 3] = '\x7F';
    EXPECT_FALSE(ReadExifGps(far));
    std::string count = good;
    count[6 + 8] = '\xFF';
    EXPECT_FALSE(ReadExifGps(count));
    // A rational's offset outside the block.
    std::string rational = good;
    const std::size_t latitude_offset = 6 + 26 + 2 + 12 + 8;
    rational[latitude_offset + 2] = '\x10';
    EXPECT_FALSE(ReadExifGps(rational));
}

}  // namespace
}  // namespace mapvale::extras
