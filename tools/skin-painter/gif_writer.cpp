#include "gif_writer.h"

#include <QHash>
#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace mapvale::skin_painter {

namespace {

constexpr int kTransparentIndex = 0;
constexpr int kMinCodeSize = 8;
constexpr int kMaxCode = 4095;

void PutWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

bool IsOpaque(QRgb pixel) {
    return qAlpha(pixel) >= 128;
}

// Collects codes least significant bit first into the 255-byte sub-blocks of an image's data.
class CodeWriter {
public:
    explicit CodeWriter(QByteArray& out) : out_(out) {}

    void Write(int code, int size) {
        bits_ |= static_cast<std::uint32_t>(code) << bit_count_;
        bit_count_ += size;
        while (bit_count_ >= 8) {
            PutByte(static_cast<std::uint8_t>(bits_ & 0xFF));
            bits_ >>= 8;
            bit_count_ -= 8;
        }
    }

    void Finish() {
        if (bit_count_ > 0) {
            PutByte(static_cast<std::uint8_t>(bits_ & 0xFF));
        }
        FlushBlock();
        out_.append('\0');
    }

private:
    void PutByte(std::uint8_t byte) {
        block_.push_back(byte);
        if (block_.size() == 255) {
            FlushBlock();
        }
    }
    void FlushBlock() {
        if (block_.empty()) {
            return;
        }
        out_.append(static_cast<char>(block_.size()));
        out_.append(reinterpret_cast<const char*>(block_.data()), static_cast<int>(block_.size()));
        block_.clear();
    }

    QByteArray& out_;
    std::uint32_t bits_ = 0;
    int bit_count_ = 0;
    std::vector<std::uint8_t> block_;
};

// The usual GIF LZW: variable code size from 9 to 12 bits, a clear code when the table is full.
void WriteLzw(QByteArray& out, const std::vector<std::uint8_t>& indices) {
    const int clear_code = 1 << kMinCodeSize;
    const int end_code = clear_code + 1;
    out.append(static_cast<char>(kMinCodeSize));
    CodeWriter writer(out);
    std::unordered_map<std::uint32_t, int> table;
    int code_size = kMinCodeSize + 1;
    int last_code = end_code;
    writer.Write(clear_code, code_size);
    if (indices.empty()) {
        writer.Write(end_code, code_size);
        writer.Finish();
        return;
    }
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | indices[i];
        if (const auto found = table.find(key); found != table.end()) {
            prefix = found->second;
            continue;
        }
        writer.Write(prefix, code_size);
        table.emplace(key, ++last_code);
        if (last_code >= (1 << code_size) && code_size < 12) {
            ++code_size;
        }
        if (last_code == kMaxCode) {
            writer.Write(clear_code, code_size);
            table.clear();
            code_size = kMinCodeSize + 1;
            last_code = end_code;
        }
        prefix = indices[i];
    }
    writer.Write(prefix, code_size);
    writer.Write(end_code, code_size);
    writer.Finish();
}

// The 255 most frequent colours, counted in 5-bit-per-channel buckets and each given the mean
// of its bucket; ties go to the lower bucket so the choice does not depend on hash order.
std::vector<QRgb> ChoosePalette(const QList<QImage>& images) {
    struct Bucket {
        long long count = 0, r = 0, g = 0, b = 0;
    };
    std::map<int, Bucket> buckets;
    for (const QImage& image : images) {
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (!IsOpaque(row[x])) {
                    continue;
                }
                const int key = ((qRed(row[x]) >> 3) << 10) | ((qGreen(row[x]) >> 3) << 5) |
                                (qBlue(row[x]) >> 3);
                Bucket& bucket = buckets[key];
                ++bucket.count;
                bucket.r += qRed(row[x]);
                bucket.g += qGreen(row[x]);
                bucket.b += qBlue(row[x]);
            }
        }
    }
    std::vector<std::pair<int, Bucket>> sorted(buckets.begin(), buckets.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second.count > b.second.count; });
    std::vector<QRgb> palette;
    for (const auto& [key, bucket] : sorted) {
        if (palette.size() == 255) {
            break;
        }
        palette.push_back(qRgb(static_cast<int>((bucket.r + bucket.count / 2) / bucket.count),
                               static_cast<int>((bucket.g + bucket.count / 2) / bucket.count),
                               static_cast<int>((bucket.b + bucket.count / 2) / bucket.count)));
    }
    return palette;
}

int Nearest(const std::vector<QRgb>& palette, QRgb colour) {
    int best = 0;
    int best_distance = 0x7FFFFFFF;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour);
        const int dg = qGreen(palette[i]) - qGreen(colour);
        const int db = qBlue(palette[i]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
            best_distance = distance;
            best = static_cast<int>(i);
        }
    }
    return best + 1;  // index 0 is the transparent one
}

}  // namespace

QByteArray EncodeGif(const QList<GifFrame>& frames) {
    const int width = frames.isEmpty() ? 0 : frames.first().image.width();
    const int height = frames.isEmpty() ? 0 : frames.first().image.height();
    QList<QImage> images;
    for (const GifFrame& frame : frames) {
        // copy() pads a smaller frame with transparency and cuts a bigger one.
        images.append(frame.image.convertToFormat(QImage::Format_ARGB32).copy(0, 0, width, height));
    }
    const std::vector<QRgb> palette = ChoosePalette(images);

    QByteArray out("GIF89a");
    PutWord(out, width);
    PutWord(out, height);
    out.append(static_cast<char>(0xF7));  // global table of 256 entries, 8 bits per channel
    out.append(static_cast<char>(kTransparentIndex));  // background
    out.append('\0');                                  // no aspect ratio
    // The transparent entry is white so a viewer that ignores transparency shows a light page.
    out.append(static_cast<char>(0xFF));
    out.append(static_cast<char>(0xFF));
    out.append(static_cast<char>(0xFF));
    for (int i = 0; i < 255; ++i) {
        const QRgb colour = i < static_cast<int>(palette.size()) ? palette[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qBlue(colour)));
    }
    // Loop for ever.
    out.append(
        "\x21\xFF\x0B"
        "NETSCAPE2.0"
        "\x03\x01",
        16);
    PutWord(out, 0);
    out.append('\0');

    QHash<QRgb, int> index_of;
    for (int f = 0; f < images.size(); ++f) {
        const QImage& image = images[f];
        out.append("\x21\xF9\x04", 3);
        out.append(static_cast<char>((2 << 2) | 1));  // restore to background; transparency on
        PutWord(out, (frames[f].delay_ms + 5) / 10);
        out.append(static_cast<char>(kTransparentIndex));
        out.append('\0');

        out.append('\x2C');
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, width);
        PutWord(out, height);
        out.append('\0');  // no local table, not interlaced

        std::vector<std::uint8_t> indices;
        indices.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                if (!IsOpaque(row[x])) {
                    indices.push_back(kTransparentIndex);
                    continue;
                }
                const QRgb colour = row[x] | 0xFF000000u;
                auto it = index_of.find(colour);
                if (it == index_of.end()) {
                    it = index_of.insert(colour, Nearest(palette, colour));
                }
                indices.push_back(static_cast<std::uint8_t>(*it));
            }
        }
        WriteLzw(out, indices);
    }
    out.append('\x3B');
    return out;
}

}  // namespace mapvale::skin_painter
