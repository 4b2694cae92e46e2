#include "extras/jpeg_scaler.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace mapvale::extras {

namespace {

// libjpeg's own error handler ends the process; this one jumps back to the call that set it up.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf back;
    // The file ended inside the picture: the decoder would go on with grey rows.
    bool ended_early;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void NoteWarning(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<ErrorManager*>(info->err)->ended_early = true;
    }
}
void QuietOutput(j_common_ptr /*info*/) {}

void InstallErrorManager(ErrorManager& errors) {
    jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpBack;
    errors.base.emit_message = NoteWarning;
    errors.ended_early = false;
    errors.base.output_message = QuietOutput;
}

// Averages the rows and columns of the decoded picture down (or repeats them up) to the new
// size, one decoded row at a time.
class Resampler {
public:
    Resampler(int source_width, int source_height, int width, int height)
        : source_height_(source_height),
          width_(width),
          height_(height),
          column_start_(static_cast<std::size_t>(width) + 1),
          sums_(std::size_t(width) * 3),
          pixels_(std::size_t(width) * std::size_t(height) * 3) {
        for (int x = 0; x <= width; ++x) {
            column_start_[x] = Start(x, source_width, width);
        }
    }

    // Takes decoded row `y` (RGB); whole rows of the new picture are written as they finish.
    void AddRow(const unsigned char* row, int y) {
        std::vector<unsigned>& line = line_;
        line.assign(std::size_t(width_) * 3, 0);
        for (int x = 0; x < width_; ++x) {
            const int from = column_start_[x];
            const int to = std::max(from + 1, column_start_[x + 1]);
            unsigned r = 0, g = 0, b = 0;
            for (int s = from; s < to; ++s) {
                r += row[s * 3];
                g += row[s * 3 + 1];
                b += row[s * 3 + 2];
            }
            const auto n = static_cast<unsigned>(to - from);
            line[x * 3] = (r + n / 2) / n;
            line[x * 3 + 1] = (g + n / 2) / n;
            line[x * 3 + 2] = (b + n / 2) / n;
        }
        while (next_ < height_) {
            const int from = Start(next_, source_height_, height_);
            const int to = std::max(from + 1, Start(next_ + 1, source_height_, height_));
            if (y < from) {
                return;
            }
            for (std::size_t i = 0; i < line.size(); ++i) {
                sums_[i] += line[i];
            }
            ++count_;
            if (y + 1 < to) {
                return;
            }
            unsigned char* out = &pixels_[std::size_t(next_) * std::size_t(width_) * 3];
            for (std::size_t i = 0; i < sums_.size(); ++i) {
                out[i] = static_cast<unsigned char>((sums_[i] + count_ / 2) / count_);
                sums_[i] = 0;
            }
            count_ = 0;
            ++next_;
        }
    }

    bool complete() const { return next_ == height_; }
    unsigned char* row(int y) { return &pixels_[std::size_t(y) * std::size_t(width_) * 3]; }

private:
    static int Start(int index, int source, int target) {
        return static_cast<int>(static_cast<long long>(index) * source / target);
    }

    int source_height_;
    int width_;
    int height_;
    std::vector<int> column_start_;
    std::vector<unsigned long long> sums_;
    std::vector<unsigned> line_;
    unsigned count_ = 0;
    int next_ = 0;
    std::vector<unsigned char> pixels_;
};

// Everything the two libjpeg passes share; made before the jump point and cleaned up after it,
// so the jump back never skips a destructor.
struct Job {
    std::FILE* file = nullptr;
    int width = 0;
    int height = 0;
    Resampler* resampler = nullptr;
    unsigned char* encoded = nullptr;
    unsigned long encoded_size = 0;
};

// The decoding pass: 0, or −2 on any failure.
int Decode(Job& job, std::vector<unsigned char>& row_buffer,
           std::vector<Resampler>& resampler_store) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    InstallErrorManager(errors);
    info.err = &errors.base;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        return -2;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, job.file);
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK ||
        static_cast<long long>(info.image_width) * info.image_height > kMaxSourcePixels) {
        jpeg_destroy_decompress(&info);
        return -2;
    }
    info.out_color_space = JCS_RGB;
    // The smallest eighth whose picture still covers the new size.
    info.scale_denom = 8;
    for (unsigned num = 1; num <= 8; ++num) {
        info.scale_num = num;
        jpeg_calc_output_dimensions(&info);
        if (static_cast<int>(info.output_width) >= job.width &&
            static_cast<int>(info.output_height) >= job.height) {
            break;
        }
    }
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return -2;
    }
    row_buffer.resize(std::size_t(info.output_width) * 3);
    resampler_store.emplace_back(static_cast<int>(info.output_width),
                                 static_cast<int>(info.output_height), job.width, job.height);
    job.resampler = &resampler_store.back();
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row_buffer.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {
            break;
        }
        job.resampler->AddRow(row_buffer.data(), y);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return job.resampler->complete() && !errors.ended_early ? 0 : -2;
}

// The encoding pass: 0, or −2 on any failure.
int Encode(Job& job) {
    jpeg_compress_struct info;
    ErrorManager errors;
    InstallErrorManager(errors);
    info.err = &errors.base;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_compress(&info);
        return -2;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &job.encoded, &job.encoded_size);
    info.image_width = static_cast<JDIMENSION>(job.width);
    info.image_height = static_cast<JDIMENSION>(job.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {job.resampler->row(static_cast<int>(info.next_scanline))};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}

}  // namespace

int ScaleJpegFile(const std::string& source_path, int width, int height, std::string& out) {
    if (width < 1 || height < 1) {
        return -2;
    }
    Job job;
    job.width = width;
    job.height = height;
    job.file = std::fopen(source_path.c_str(), "rb");
    if (job.file == nullptr) {
        return -2;
    }
    std::vector<unsigned char> row;
    std::vector<Resampler> resampler;
    resampler.reserve(1);
    int result = Decode(job, row, resampler);
    std::fclose(job.file);
    if (result == 0) {
        result = Encode(job);
    }
    if (result == 0) {
        out.assign(reinterpret_cast<const char*>(job.encoded), job.encoded_size);
    }
    std::free(job.encoded);
    return result;
}

}  // namespace mapvale::extras
