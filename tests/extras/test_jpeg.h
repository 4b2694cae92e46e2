#pragma once

// Pictures for the photo tests, made with the same JPEG library the program decodes with.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace mapvale::extras::test {

struct JpegRecipe {
    int width = 64;
    int height = 48;
    bool progressive = false;
    bool cmyk = false;
};

// A JPEG of a colour gradient (deterministic bytes), without JFIF or Exif segments.
inline std::string MakeJpeg(const JpegRecipe& recipe) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(recipe.width);
    info.image_height = static_cast<JDIMENSION>(recipe.height);
    info.input_components = recipe.cmyk ? 4 : 3;
    info.in_color_space = recipe.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    info.write_JFIF_header = FALSE;
    if (recipe.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(recipe.width) *
                                   static_cast<std::size_t>(info.input_components));
    while (info.next_scanline < info.image_height) {
        const unsigned y = info.next_scanline;
        for (int x = 0; x < recipe.width; ++x) {
            for (int c = 0; c < info.input_components; ++c) {
                row[static_cast<std::size_t>(x * info.input_components + c)] =
                    static_cast<unsigned char>((x * 7 + y * 3 + c * 60) & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// An APP segment with `marker` (0xE1 for APP1) around `payload`.
inline std::string Segment(int marker, const std::string& payload) {
    const std::size_t length = payload.size() + 2;
    std::string segment = "\xFF";
    segment += static_cast<char>(marker);
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    return segment + payload;
}

// `jpeg` with `segments` put right after its start of image.
inline std::string WithSegments(const std::string& jpeg, const std::string& segments) {
    return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

// Width and height of a JPEG as the library reads them; {0, 0} when it cannot.
struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};
inline Size DecodedSize(const std::string& jpeg) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()),
                 static_cast<unsigned long>(jpeg.size()));
    Size size;
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
        size = {static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
    }
    jpeg_destroy_decompress(&info);
    return size;
}

}  // namespace mapvale::extras::test
