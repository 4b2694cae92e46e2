// The photo writer on large camera pictures: a baseline and a progressive JPEG of the given
// megapixels become "UserPhoto.jpg" (decoded reduced in the DCT, averaged to 800 wide, encoded at
// quality 100 with the position block), against `djpeg -scale 1/N | cjpeg -quality 100` on the
// same file. Each run is its own process, so the peak memory is that run's alone.
//
// Usage: photo_bench [megapixels=24] [work dir=/tmp]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "extras/geo_photo.h"

namespace {

using mapvale::extras::GeoPhoto;

// A camera-like picture (smooth gradients and fine texture) written straight to the file, row
// by row.
bool WritePicture(const std::string& path, int width, int height, bool progressive) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    unsigned seed = 12345;
    while (info.next_scanline < info.image_height) {
        const unsigned y = info.next_scanline;
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const unsigned noise = (seed >> 16) & 15;
            row[x * 3] = static_cast<unsigned char>((x * 255 / width + noise) & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((y * 255 / height + noise) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>(((x + y) / 16 + noise) & 0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

struct Run {
    double seconds = 0;
    long peak_kib = 0;
    int status = -1;
};

// `work` in a child process: wall time and the child's peak resident memory.
Run InChild(const std::function<int()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        _exit(work());
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peak_kib = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void Report(const char* what, const Run& ours, const Run& tools) {
    std::printf(
        "%-12s ours %6.3f s %7ld KiB (exit %d) | djpeg|cjpeg %6.3f s %7ld KiB | time x%.2f, "
        "memory x%.2f\n",
        what, ours.seconds, ours.peak_kib, ours.status, tools.seconds, tools.peak_kib,
        ours.seconds / tools.seconds,
        static_cast<double>(ours.peak_kib) / static_cast<double>(tools.peak_kib));
}

}  // namespace

int main(int argc, char** argv) {
    const double megapixels = argc > 1 ? std::atof(argv[1]) : 24;
    const std::string work = argc > 2 ? argv[2] : "/tmp";
    const int width = static_cast<int>(std::sqrt(megapixels * 1e6 * 3 / 2));
    const int height = width * 2 / 3;
    int new_width = 0;
    int new_height = 0;
    GeoPhoto::NewSize(width, height, new_width, new_height);
    // The smallest eighth the tools may use that still covers the new size.
    int scale = 8;
    while (scale > 1 && width / scale < new_width) {
        scale /= 2;
    }
    std::printf("%d x %d -> %d x %d (tools at 1/%d)\n", width, height, new_width, new_height,
                scale);
    // What a child of this program holds before it does anything.
    const Run idle = InChild([] { return 0; });
    std::printf("an idle child: %ld KiB\n", idle.peak_kib);
    for (const bool progressive : {false, true}) {
        const std::string source =
            work + (progressive ? "/photo_bench_progressive.jpg" : "/photo_bench_baseline.jpg");
        if (!WritePicture(source, width, height, progressive)) {
            std::fprintf(stderr, "cannot write %s\n", source.c_str());
            return 1;
        }
        const std::string target = work + "/photo_bench_UserPhoto.jpg";
        const Run ours = InChild([&] {
            GeoPhoto photo;
            if (photo.Load(source) != 1) {
                return 2;
            }
            return photo.Save(target, {46'467'180, 12'664'656}) == 1 ? 0 : 3;
        });
        const std::string command = "djpeg -scale 1/" + std::to_string(scale) + " '" + source +
                                    "' | cjpeg -quality 100 > '" + work + "/photo_bench_tools.jpg'";
        const Run tools = InChild([&] { return std::system(command.c_str()) == 0 ? 0 : 4; });
        Report(progressive ? "progressive" : "baseline", ours, tools);
        std::remove(source.c_str());
    }
    return 0;
}
