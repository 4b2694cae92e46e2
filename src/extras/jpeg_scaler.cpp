#include "extras/jpeg_scaler.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <deque>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "platform/files.h"

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
    errors.base.output_message = QuietOutput;
    errors.ended_early = false;
}

// The encoder's output straight into a descriptor through a small buffer; a failed write ends
// the encoding as a write error.
struct FdDestination {
    jpeg_destination_mgr base;
    int fd;
    JOCTET buffer[65536];
};

void StartOutput(j_compress_ptr info) {
    auto* dest = reinterpret_cast<FdDestination*>(info->dest);
    dest->base.next_output_byte = dest->buffer;
    dest->base.free_in_buffer = sizeof dest->buffer;
}

boolean FlushFull(j_compress_ptr info) {
    auto* dest = reinterpret_cast<FdDestination*>(info->dest);
    if (!platform::WriteFully(
            dest->fd,
            std::string_view(reinterpret_cast<const char*>(dest->buffer), sizeof dest->buffer))) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
    StartOutput(info);
    return TRUE;
}

void FlushRest(j_compress_ptr info) {
    auto* dest = reinterpret_cast<FdDestination*>(info->dest);
    const std::size_t used = sizeof dest->buffer - dest->base.free_in_buffer;
    if (!platform::WriteFully(
            dest->fd, std::string_view(reinterpret_cast<const char*>(dest->buffer), used))) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
}

// Averages the rows and columns of the decoded picture down (or repeats them up) to the new
// size, one decoded row at a time; finished rows wait until taken.
class Resampler {
public:
    Resampler(int source_width, int source_height, int width, int height)
        : source_height_(source_height),
          width_(width),
          height_(height),
          column_start_(static_cast<std::size_t>(width) + 1),
          line_(static_cast<std::size_t>(width) * 3),
          sums_(line_.size()) {
        for (int x = 0; x <= width; ++x) {
            column_start_[x] = Start(x, source_width, width);
        }
    }

    // Takes decoded row `y` (RGB).
    void AddRow(const unsigned char* row, int y) {
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
            line_[x * 3] = (r + n / 2) / n;
            line_[x * 3 + 1] = (g + n / 2) / n;
            line_[x * 3 + 2] = (b + n / 2) / n;
        }
        while (next_ < height_) {
            const int from = Start(next_, source_height_, height_);
            const int to = std::max(from + 1, Start(next_ + 1, source_height_, height_));
            if (y < from) {
                return;
            }
            for (std::size_t i = 0; i < line_.size(); ++i) {
                sums_[i] += line_[i];
            }
            ++count_;
            if (y + 1 < to) {
                return;
            }
            std::vector<unsigned char>& out = ready_.emplace_back(line_.size());
            for (std::size_t i = 0; i < sums_.size(); ++i) {
                out[i] = static_cast<unsigned char>((sums_[i] + count_ / 2) / count_);
                sums_[i] = 0;
            }
            count_ = 0;
            ++next_;
        }
    }

    // The oldest finished row not yet taken, or null; valid until DropRow.
    unsigned char* NextRow() { return ready_.empty() ? nullptr : ready_.front().data(); }
    void DropRow() { ready_.pop_front(); }
    bool complete() const { return next_ == height_ && ready_.empty(); }

private:
    static int Start(int index, int source, int target) {
        return static_cast<int>(static_cast<long long>(index) * source / target);
    }

    int source_height_;
    int width_;
    int height_;
    std::vector<int> column_start_;
    std::vector<unsigned> line_;
    std::vector<unsigned long long> sums_;
    unsigned count_ = 0;
    int next_ = 0;
    std::deque<std::vector<unsigned char>> ready_;
};

// Everything the conversion holds; made before the jump point, so the jump back skips no
// destructor.
struct Job {
    std::FILE* source = nullptr;
    int width = 0;
    int height = 0;
    std::string_view app1;
    std::vector<unsigned char> row;
    std::vector<Resampler> resampler;  // one, made once the decoded size is known
    FdDestination destination{};
};

// Decoding and encoding side by side: 0, −2 or −3.
int Convert(Job& job) {
    // Zeroed, so that destroying one not yet made does nothing.
    jpeg_decompress_struct in{};
    jpeg_compress_struct out{};
    ErrorManager errors;
    InstallErrorManager(errors);
    in.err = &errors.base;
    out.err = &errors.base;
    if (setjmp(errors.back) != 0) {
        const bool write_failed = errors.base.msg_code == JERR_FILE_WRITE;
        jpeg_destroy_decompress(&in);
        jpeg_destroy_compress(&out);
        return write_failed ? -3 : -2;
    }
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_stdio_src(&in, job.source);
    jpeg_read_header(&in, TRUE);
    if (in.jpeg_color_space == JCS_CMYK || in.jpeg_color_space == JCS_YCCK ||
        static_cast<long long>(in.image_width) * in.image_height > kMaxSourcePixels) {
        jpeg_destroy_decompress(&in);
        jpeg_destroy_compress(&out);
        return -2;
    }
    in.out_color_space = JCS_RGB;
    // The smallest eighth whose picture still covers the new size.
    in.scale_denom = 8;
    for (unsigned num = 1; num <= 8; ++num) {
        in.scale_num = num;
        jpeg_calc_output_dimensions(&in);
        if (static_cast<int>(in.output_width) >= job.width &&
            static_cast<int>(in.output_height) >= job.height) {
            break;
        }
    }
    jpeg_start_decompress(&in);
    if (in.output_components != 3) {
        jpeg_destroy_decompress(&in);
        jpeg_destroy_compress(&out);
        return -2;
    }
    job.row.resize(static_cast<std::size_t>(in.output_width) * 3);
    job.resampler.emplace_back(static_cast<int>(in.output_width),
                               static_cast<int>(in.output_height), job.width, job.height);
    Resampler& resampler = job.resampler.front();

    out.dest = &job.destination.base;
    job.destination.base.init_destination = StartOutput;
    job.destination.base.empty_output_buffer = FlushFull;
    job.destination.base.term_destination = FlushRest;
    out.image_width = static_cast<JDIMENSION>(job.width);
    out.image_height = static_cast<JDIMENSION>(job.height);
    out.input_components = 3;
    out.in_color_space = JCS_RGB;
    jpeg_set_defaults(&out);
    jpeg_set_quality(&out, 100, TRUE);
    out.write_JFIF_header = FALSE;
    jpeg_start_compress(&out, TRUE);
    jpeg_write_marker(&out, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(job.app1.data()),
                      static_cast<unsigned>(job.app1.size()));

    while (in.output_scanline < in.output_height) {
        const int y = static_cast<int>(in.output_scanline);
        JSAMPROW rows[1] = {job.row.data()};
        if (jpeg_read_scanlines(&in, rows, 1) != 1) {
            break;
        }
        resampler.AddRow(job.row.data(), y);
        while (unsigned char* ready = resampler.NextRow()) {
            JSAMPROW written[1] = {ready};
            jpeg_write_scanlines(&out, written, 1);
            resampler.DropRow();
        }
    }
    const bool whole = resampler.complete() && !errors.ended_early;
    jpeg_finish_decompress(&in);
    jpeg_destroy_decompress(&in);
    if (!whole) {
        // An unfinished picture is not ended as if it were complete.
        jpeg_destroy_compress(&out);
        return -2;
    }
    jpeg_finish_compress(&out);
    jpeg_destroy_compress(&out);
    return 0;
}

}  // namespace

int ScaleJpegFile(const std::string& source_path, int width, int height,
                  std::string_view app1_payload, int out_fd) {
    if (width < 1 || height < 1 || app1_payload.size() > 65533) {
        return -2;
    }
    Job job;
    job.width = width;
    job.height = height;
    job.app1 = app1_payload;
    job.destination.fd = out_fd;
    job.resampler.reserve(1);
    job.source = std::fopen(source_path.c_str(), "rb");
    if (job.source == nullptr) {
        return -2;
    }
    const int result = Convert(job);
    std::fclose(job.source);
    return result;
}

}  // namespace mapvale::extras
