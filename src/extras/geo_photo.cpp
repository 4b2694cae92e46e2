#include "extras/geo_photo.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>

#include "extras/exif_gps.h"
#include "extras/jpeg_layout.h"
#include "extras/jpeg_scaler.h"
#include "platform/files.h"

namespace mapvale::extras {

namespace {

// A photo of at most 800 × 480 that is kept as it is has no business being larger; anything
// beyond is not read into memory.
constexpr std::uint64_t kMaxKeptFileBytes = 32ull * 1024 * 1024;

}  // namespace

int GeoPhoto::Load(const std::string& path) {
    *this = GeoPhoto();
    if (path.empty()) {
        return -1;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return -2;
    }
    const std::optional<JpegLayout> layout = ReadJpegLayout(in);
    if (!layout || layout->width < 1 || layout->height < 1) {
        return -2;
    }
    path_ = path;
    width_ = layout->width;
    height_ = layout->height;
    reencode_ = width_ > kMaxWidth || height_ > kMaxHeight;
    if (const std::optional<GeoPosition> position = ReadExifGps(layout->exif_payload)) {
        position_ = *position;
        has_position_ = true;
    } else {
        reencode_ = true;
    }
    return 1;
}

void GeoPhoto::NewSize(int width, int height, int& new_width, int& new_height) {
    new_width = width;
    new_height = height;
    if (width > kMaxWidth || height > kMaxHeight) {
        if (width > height) {
            new_width = kMaxWidth;
            new_height = static_cast<int>(static_cast<long long>(kMaxWidth) * height / width);
        } else {
            new_height = kMaxHeight;
            new_width = static_cast<int>(static_cast<long long>(kMaxHeight) * width / height);
        }
    }
    new_width = std::max(new_width, 1);
    new_height = std::max(new_height, 1);
}

int GeoPhoto::Save(const std::string& target_path, const GeoPosition& position) const {
    if (!InValidArea(position)) {
        return -1;
    }
    if (path_.empty()) {
        return -2;
    }
    const std::string segment = ExifGpsSegment(position);
    if (reencode_) {
        int width = 0;
        int height = 0;
        NewSize(width_, height_, width, height);
        int result = -3;
        const bool written = platform::WriteFileAtomicWith(target_path, [&](int fd) {
            result = ScaleJpegFile(path_, width, height, std::string_view(segment).substr(4), fd);
            return result == 0;
        });
        return written ? 1 : result == -2 ? -2 : -3;
    }
    // A small photo that already had a position: its own bytes, its Exif block ours now.
    const std::optional<std::uint64_t> size = platform::FileSize(path_);
    if (!size || *size > kMaxKeptFileBytes) {
        return -2;
    }
    std::ifstream in(path_, std::ios::binary);
    const std::optional<JpegLayout> layout = ReadJpegLayout(in);
    const std::optional<std::string> bytes = platform::ReadWholeFile(path_);
    if (!layout || !layout->exif_offset || !bytes ||
        *layout->exif_offset + layout->exif_size > bytes->size()) {
        return -2;
    }
    const std::size_t from = *layout->exif_offset;
    const std::size_t to = from + layout->exif_size;
    std::string photo = "\xFF\xD8" + segment;
    photo.append(*bytes, 2, from - 2);
    photo.append(*bytes, to);
    return platform::WriteFileAtomic(target_path, photo) ? 1 : -3;
}

}  // namespace mapvale::extras
