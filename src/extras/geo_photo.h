#pragma once

#include <string>

#include "extras/geo_position.h"

namespace mapvale::extras {

// A photo chosen for the photo service: its size and the position in its Exif GPS block, and
// the photo written again with another position.
class GeoPhoto {
public:
    // The largest picture kept at its own size.
    static constexpr int kMaxWidth = 800;
    static constexpr int kMaxHeight = 480;

    // Reads the photo's headers: 1; −1 for an empty path; −2 when the file cannot be opened or
    // is no JPEG whose headers can be read. A picture larger than kMaxWidth × kMaxHeight, or one
    // without a position, will be encoded again when saved; its position stays 0.
    int Load(const std::string& path);

    // Writes the loaded photo with `position` to `target_path`: 1; −1 for a position outside the
    // valid area; −2 when the photo cannot be read, decoded or encoded; −3 when the file cannot
    // be written. A photo that is not encoded again keeps its bytes, its own Exif block replaced
    // by ours. The target is replaced as a whole or left as it was.
    int Save(const std::string& target_path, const GeoPosition& position) const;

    // The new size of a `width` × `height` picture: its own when it fits kMaxWidth ×
    // kMaxHeight, else 800 wide for a picture wider than tall and 480 high for any other,
    // keeping the proportions (integer arithmetic, at least 1 pixel a side).
    static void NewSize(int width, int height, int& new_width, int& new_height);

    const std::string& path() const { return path_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool reencode() const { return reencode_; }
    bool has_position() const { return has_position_; }
    const GeoPosition& position() const { return position_; }

private:
    std::string path_;
    int width_ = 0;
    int height_ = 0;
    bool reencode_ = false;
    bool has_position_ = false;
    GeoPosition position_;
};

}  // namespace mapvale::extras
