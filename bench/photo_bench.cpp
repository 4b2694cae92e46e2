// The photo writer on large camera pictures: a baseline and a progressive JPEG of the given
// megapixels become "UserPhoto.jpg" (decoded reduced in the DCT, averaged to 800 wide, encoded at
// quality 100 with the position block), against `djpeg -scale 1/N | cjpeg -quality 100` on the
// same file.
//
// Every run is a program started afresh (ours is this program again, in its "save" mode), so
// each peak is that run's alone and all start from the same kind of process. The pipeline's two
// tools run side by side, so its memory is the sum of their peaks; each tool is also measured
// alone (djpeg into a file, cjpeg from it) to get them.
//
// Usage: photo_bench [megapixels=24] [work dir=/tmp]
//        photo_bench save <source.jpg> <target.jpg>   (one save; the exit status says how)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// `program` with `arguments` as a child: wall time and its peak resident memory (the largest of
// it and the children it waited for).
Run Started(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : command) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
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

Run Shell(const std::string& command) {
    return Started({"/bin/sh", "-c", command});
}

double Ratio(double ours, double theirs) {
    return theirs > 0 ? ours / theirs : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "save") == 0) {
        GeoPhoto photo;
        if (photo.Load(argv[2]) != 1) {
            return 2;
        }
        return photo.Save(argv[3], {46'467'180, 12'664'656}) == 1 ? 0 : 3;
    }
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
    const std::string self = "/proc/self/exe";
    // What a program started afresh holds before it does anything: ours, and one tool.
    const Run idle = Started({self, "save", "", ""});
    const Run tool_idle = Shell("cjpeg -version < /dev/null > /dev/null 2>&1");
    std::printf("started and ended at once: ours %ld KiB, a tool %ld KiB\n", idle.peak_kib,
                tool_idle.peak_kib);
    for (const bool progressive : {false, true}) {
        const std::string source =
            work + (progressive ? "/photo_bench_progressive.jpg" : "/photo_bench_baseline.jpg");
        if (!WritePicture(source, width, height, progressive)) {
            std::fprintf(stderr, "cannot write %s\n", source.c_str());
            return 1;
        }
        const std::string target = work + "/photo_bench_UserPhoto.jpg";
        const std::string pixels = work + "/photo_bench_tools.ppm";
        const std::string encoded = work + "/photo_bench_tools.jpg";
        const std::string scaled = "djpeg -scale 1/" + std::to_string(scale) + " '" + source + "'";
        const Run ours = Started({self, "save", source, target});
        const Run pipeline = Shell(scaled + " | cjpeg -quality 100 > '" + encoded + "'");
        const Run decoder = Shell("exec " + scaled + " > '" + pixels + "'");
        const Run encoder = Shell("exec cjpeg -quality 100 '" + pixels + "' > '" + encoded + "'");
        const long tools = decoder.peak_kib + encoder.peak_kib;
        std::printf(
            "%-12s ours %6.3f s %7ld KiB (exit %d) | djpeg|cjpeg %6.3f s, djpeg %ld KiB + cjpeg "
            "%ld KiB = %ld KiB | time x%.2f, memory x%.2f of both (x%.2f of the larger)\n",
            progressive ? "progressive" : "baseline", ours.seconds, ours.peak_kib, ours.status,
            pipeline.seconds, decoder.peak_kib, encoder.peak_kib, tools,
            Ratio(ours.seconds, pipeline.seconds), Ratio(ours.peak_kib, tools),
            Ratio(ours.peak_kib, std::max(decoder.peak_kib, encoder.peak_kib)));
        std::remove(source.c_str());
        std::remove(pixels.c_str());
    }
    return 0;
}
