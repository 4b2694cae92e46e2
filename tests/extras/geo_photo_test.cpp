#include "extras/geo_photo.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sstream>

#include "extras/exif_block.h"
#include "extras/exif_gps.h"
#include "extras/jpeg_layout.h"
#include "extras/test_jpeg.h"
#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::extras {
namespace {

using test::ExifBlock;
using test::JpegRecipe;
using test::MakeJpeg;
using test::Segment;
using test::WithSegments;

constexpr GeoPosition kBusan{46'467'180, 12'664'656};
constexpr GeoPosition kSeoul{45'712'080, 13'523'760};  // 126.978°, 37.566°

// A camera's block for kSeoul, big-endian, seconds in thousandths.
std::string CameraExif() {
    return ExifBlock(true).Payload(
        {ExifBlock::Ref(1, 'N'), ExifBlock::Angle(2, {37, 1, 33, 1, 57600, 1000}),
         ExifBlock::Ref(3, 'E'), ExifBlock::Angle(4, {126, 1, 58, 1, 40800, 1000})});
}

std::optional<JpegLayout> Layout(const std::string& bytes) {
    std::istringstream in(bytes);
    return ReadJpegLayout(in);
}

class GeoPhotoTest : public ::testing::Test {
protected:
    std::string Photo(const std::string& name, const std::string& bytes) {
        return box_.Write(name, bytes);
    }
    // Loads `bytes`, saves them with `position` and returns the written file (empty on failure).
    std::string Saved(const std::string& bytes, const GeoPosition& position = kBusan) {
        GeoPhoto photo;
        EXPECT_EQ(photo.Load(Photo("in.jpg", bytes)), 1);
        EXPECT_EQ(photo.Save(Target(), position), 1);
        return platform::ReadWholeFile(Target()).value_or("");
    }
    std::string Target() const { return box_.Path("UserPhoto.jpg"); }

    testing::Sandbox box_;
};

TEST_F(GeoPhotoTest, APhotoWithAPositionIsReadByItsDenominatorsAfterAnXmpSegment) {
    const std::string xmp = Segment(0xE1, "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>");
    const std::string bytes = WithSegments(MakeJpeg({}), xmp + Segment(0xE1, CameraExif()));
    GeoPhoto photo;
    ASSERT_EQ(photo.Load(Photo("camera.jpg", bytes)), 1);
    EXPECT_TRUE(photo.has_position());
    EXPECT_EQ(photo.position(), kSeoul);
    EXPECT_EQ(photo.width(), 64);
    EXPECT_EQ(photo.height(), 48);
    EXPECT_FALSE(photo.reencode());
}

TEST_F(GeoPhotoTest, ASmallPhotoWithAPositionKeepsItsBytesWithOurBlockInPlaceOfItsOwn) {
    const std::string xmp = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0x", 30));
    const std::string image = MakeJpeg({});
    const std::string bytes = WithSegments(image, xmp + Segment(0xE1, CameraExif()));
    const std::string saved = Saved(bytes);
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(saved.substr(2, kExifGpsSegmentSize), ExifGpsSegment(kBusan));
    // Everything else as it was, in its order: the XMP segment, then the picture.
    EXPECT_EQ(saved.substr(2 + kExifGpsSegmentSize), xmp + image.substr(2));
    GeoPhoto again;
    ASSERT_EQ(again.Load(Target()), 1);
    EXPECT_EQ(again.position(), kBusan);
}

TEST_F(GeoPhotoTest, LargePhotosAreScaledByTheirLongerSideAndCarryOurBlockOnly) {
    struct Case {
        JpegRecipe recipe;
        test::Size expected;
    };
    const Case cases[] = {
        {{1000, 700}, {800, 560}},
        {{700, 1000}, {336, 480}},
        {{4000, 3000}, {800, 600}},       // wider than tall: 800 wide, whatever the height
        {{1000, 700, true}, {800, 560}},  // progressive
        {{1, 10000}, {1, 480}},           // never thinner than a pixel
        {{10000, 2}, {800, 1}},
        {{700, 500}, {800, 571}},  // taller than 480 and wider than tall: grows
        {{64, 48}, {64, 48}},      // small, but without a position
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.recipe.width) + "x" + std::to_string(c.recipe.height));
        const std::string saved = Saved(MakeJpeg(c.recipe));
        EXPECT_EQ(test::DecodedSize(saved), c.expected);
        const std::optional<JpegLayout> layout = Layout(saved);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->exif_offset, 2u);
        EXPECT_EQ(ReadExifGps(layout->exif_payload), kBusan);
        // No JFIF segment: ours is the only one before the tables.
        EXPECT_EQ(saved.substr(2 + kExifGpsSegmentSize, 2), "\xFF\xDB");
    }
}

TEST_F(GeoPhotoTest, ReaderRefusesWhatIsNoReadableJpeg) {
    GeoPhoto photo;
    EXPECT_EQ(photo.Load(""), -1);
    EXPECT_EQ(photo.Load(box_.Path("missing.jpg")), -2);
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    EXPECT_EQ(photo.Load(Photo("png.jpg", png)), -2);
    const std::string jpeg = MakeJpeg({});
    const std::size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    // Cut inside the frame header, and a scan without any frame header.
    EXPECT_EQ(photo.Load(Photo("cut.jpg", jpeg.substr(0, frame + 5))), -2);
    EXPECT_EQ(photo.Load(Photo("noframe.jpg", "\xFF\xD8" + jpeg.substr(jpeg.find("\xFF\xDA")))),
              -2);
    // An APP1 whose length runs past the end of the file.
    EXPECT_EQ(photo.Load(Photo("long.jpg", std::string("\xFF\xD8\xFF\xE1\xFF\xF0"
                                                       "Exif\0\0",
                                                       12))),
              -2);
    EXPECT_EQ(photo.Load(Photo("empty.jpg", "")), -2);
}

TEST_F(GeoPhotoTest, WriterRefusesPositionsOutsideAndPicturesItCannotDecode) {
    GeoPhoto photo;
    ASSERT_EQ(photo.Load(Photo("a.jpg", MakeJpeg({1000, 700}))), 1);
    box_.Write("UserPhoto.jpg", "the photo from before");
    EXPECT_EQ(photo.Save(Target(), {47'520'001, 12'000'000}), -1);
    EXPECT_EQ(photo.Save(Target(), {46'000'000, 11'879'999}), -1);
    EXPECT_EQ(photo.Save(Target(), {47'520'000, 11'880'000}), 1);  // the corner itself

    const auto refused = [&](const std::string& bytes) {
        GeoPhoto p;
        box_.Write("UserPhoto.jpg", "the photo from before");
        EXPECT_EQ(p.Load(Photo("bad.jpg", bytes)), 1);
        EXPECT_EQ(p.Save(Target(), kBusan), -2);
        EXPECT_EQ(platform::ReadWholeFile(Target()), "the photo from before");
    };
    // CMYK, cut inside the picture's data, and 20000 × 20000 declared (refused undecoded).
    refused(MakeJpeg({1000, 700, false, true}));
    const std::string whole = MakeJpeg({1000, 700});
    refused(whole.substr(0, whole.size() / 2));
    std::string huge = MakeJpeg({64, 48});
    const std::size_t frame = huge.find("\xFF\xC0");
    huge.replace(frame + 5, 4, "\x4E\x20\x4E\x20");
    refused(huge);

    // A small photo with a position kept as it is, but with more trailing bytes than any such
    // photo has: not read into memory.
    GeoPhoto padded;
    ASSERT_EQ(
        padded.Load(Photo("padded.jpg", WithSegments(MakeJpeg({}), Segment(0xE1, CameraExif())) +
                                            std::string(33u << 20, '\0'))),
        1);
    ASSERT_FALSE(padded.reencode());
    EXPECT_EQ(padded.Save(Target(), kBusan), -2);

    // A photo that went away after loading.
    GeoPhoto gone;
    ASSERT_EQ(gone.Load(Photo("gone.jpg", MakeJpeg({}))), 1);
    std::filesystem::remove(box_.Path("gone.jpg"));
    EXPECT_EQ(gone.Save(Target(), kBusan), -2);
    // A target that cannot be written.
    EXPECT_EQ(photo.Save(box_.Path("no/such/folder/UserPhoto.jpg"), kBusan), -3);
    // Nothing loaded.
    EXPECT_EQ(GeoPhoto().Save(Target(), kBusan), -2);
}

// The disk fills up while "UserPhoto.jpg" is being written: the save is run in a child whose
// files may not grow past `limit` bytes, where a write beyond it fails as on a full disk.
int SaveOnAFullDisk(const GeoPhoto& photo, const std::string& target, rlim_t limit) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // the failing write is reported, not a signal
        const rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
            _exit(100);
        }
        _exit(photo.Save(target, kBusan) + 10);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return 99;
    }
    return WEXITSTATUS(status) - 10;
}

TEST_F(GeoPhotoTest, AFullDiskFailsTheWriteAndKeepsThePhotoFromBefore) {
    const std::string kBefore = "the photo from before";
    // Compared without printing a whole photo when it fails.
    const auto kept = [&] {
        return platform::ReadWholeFile(Target()) == std::optional<std::string>(kBefore);
    };
    const auto leftovers = [&] {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(box_.Path(""))) {
            files += entry.path().filename().string().rfind("UserPhoto.jpg.", 0) == 0;
        }
        return files;
    };
    // Encoded again: the disk is full while the encoder is still writing.
    GeoPhoto large;
    ASSERT_EQ(large.Load(Photo("large.jpg", MakeJpeg({2400, 1800}))), 1);
    ASSERT_TRUE(large.reencode());
    ASSERT_EQ(large.Save(Target(), kBusan), 1);
    const std::uint64_t whole = platform::FileSize(Target()).value_or(0);
    constexpr rlim_t kRoom = 96 * 1024;
    ASSERT_GT(whole, 3 * kRoom);  // the encoder's output is flushed more than once
    box_.Write("UserPhoto.jpg", kBefore);
    EXPECT_EQ(SaveOnAFullDisk(large, Target(), kRoom), -3);
    EXPECT_TRUE(kept());
    EXPECT_EQ(leftovers(), 0);
    // Full from the start.
    EXPECT_EQ(SaveOnAFullDisk(large, Target(), 0), -3);
    EXPECT_TRUE(kept());
    EXPECT_EQ(leftovers(), 0);

    // Kept as it is, only the block replaced: the same.
    GeoPhoto small;
    ASSERT_EQ(small.Load(Photo("small.jpg",
                               WithSegments(MakeJpeg({640, 480}), Segment(0xE1, CameraExif())))),
              1);
    ASSERT_FALSE(small.reencode());
    EXPECT_EQ(SaveOnAFullDisk(small, Target(), 1024), -3);
    EXPECT_TRUE(kept());
    EXPECT_EQ(leftovers(), 0);

    // With room enough, the same child writes it whole.
    EXPECT_EQ(SaveOnAFullDisk(large, Target(), whole + 4096), 1);
    EXPECT_EQ(platform::FileSize(Target()), whole);
    EXPECT_EQ(leftovers(), 0);
}

}  // namespace
}  // namespace mapvale::extras
