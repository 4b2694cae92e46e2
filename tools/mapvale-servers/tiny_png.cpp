#include "mapvale-servers/tiny_png.h"

#include <algorithm>

#include "mapvale-servers/crc32.h"

namespace mapvale::servers {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
    }
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string typed(type);
    typed.append(data);
    out.append(typed);
    PutBigEndian(out, ComputeCrc32(typed));
}

std::uint32_t Adler32(std::string_view bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char c : bytes) {
        a = (a + static_cast<unsigned char>(c)) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

}  // namespace

std::string TinyPng(int width, int height, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue) {
    width = std::clamp(width, 1, 256);
    height = std::clamp(height, 1, 256);
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no
                                                       // interlace

    std::string pixels;
    for (int y = 0; y < height; ++y) {
        pixels.push_back('\0');  // no filter on this row
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<char>(red));
            pixels.push_back(static_cast<char>(green));
            pixels.push_back(static_cast<char>(blue));
        }
    }
    // A zlib stream of stored blocks: at most 256 * (1 + 768) bytes, so never more than 4.
    std::string stream = "\x78\x01";
    for (std::size_t at = 0; at < pixels.size();) {
        const std::size_t length = std::min<std::size_t>(pixels.size() - at, 65535);
        const bool last = at + length == pixels.size();
        stream.push_back(last ? '\x01' : '\x00');
        stream.push_back(static_cast<char>(length & 0xFFu));
        stream.push_back(static_cast<char>(length >> 8));
        stream.push_back(static_cast<char>(~length & 0xFFu));
        stream.push_back(static_cast<char>((~length >> 8) & 0xFFu));
        stream.append(pixels, at, length);
        at += length;
    }
    PutBigEndian(stream, Adler32(pixels));

    std::string png = "\x89PNG\r\n\x1A\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", stream);
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace mapvale::servers
