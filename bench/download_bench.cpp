// Downloads one large file from mapvale-servers on loopback with CWebPOST::DownloadToFile and
// with the curl command line, in the same run, and prints both throughputs, their ratio and the
// peak memory of the process that ran DownloadToFile.
//
//   build/release/bench/download_bench [size_mib=1024] [program_dir=build/release/bin]

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_server.h"

#include "net/web_post.h"

namespace {

namespace fs = std::filesystem;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long mib = argc > 1 ? std::atol(argv[1]) : 1024;
    const std::string program_dir = argc > 2 ? argv[2] : "build/release/bin";
    const fs::path work = fs::temp_directory_path() / ("mapvale-bench-" + std::to_string(getpid()));
    fs::create_directories(work / "content");
    const fs::path source = work / "content" / "big.bin";
    {
        // Random-looking bytes, so nothing on the way can take a shortcut.
        std::ofstream out(source, std::ios::binary);
        std::string block(1 << 20, '\0');
        std::uint64_t x = 88172645463325252ull;
        for (long m = 0; m < mib; ++m) {
            for (std::size_t i = 0; i < block.size(); i += 8) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                std::memcpy(&block[i], &x, 8);
            }
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    const double bytes = static_cast<double>(mib) * (1 << 20);
    const mapvale::bench::BenchServer server = mapvale::bench::StartBenchServer(
        program_dir + "/mapvale-servers", (work / "content").string());
    const std::string url = "http://" + server.host + "/big.bin";

    // curl first and last, to see the page cache warm for both.
    auto t0 = std::chrono::steady_clock::now();
    const std::string curl =
        "curl -s -o " + (work / "curl.bin").string() + " " + url;
    if (std::system(curl.c_str()) != 0) {
        std::fprintf(stderr, "curl failed\n");
    }
    const double curl_seconds = Seconds(t0);
    fs::remove(work / "curl.bin");

    mapvale::net::CWebPOST web;
    std::uint64_t file_counter = 0, package_counter = 0;
    t0 = std::chrono::steady_clock::now();
    const int ok = web.DownloadToFile(url, (work / "ours.bin").string(), false, &file_counter,
                                      &package_counter);
    const double our_seconds = Seconds(t0);
    const bool same = ok == 1 && fs::file_size(work / "ours.bin") == fs::file_size(source);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    mapvale::bench::StopBenchServer(server);
    fs::remove_all(work);

    std::printf("file            %ld MiB\n", mib);
    std::printf("DownloadToFile  %.2f s  %.1f MiB/s  (%s)\n", our_seconds,
                bytes / our_seconds / (1 << 20), same ? "complete" : "INCOMPLETE");
    std::printf("curl            %.2f s  %.1f MiB/s\n", curl_seconds,
                bytes / curl_seconds / (1 << 20));
    std::printf("ratio           %.2f of curl's throughput\n", curl_seconds / our_seconds);
    std::printf("peak memory     %.1f MiB (whole benchmark process)\n", usage.ru_maxrss / 1024.0);
    return same ? 0 : 1;
}
