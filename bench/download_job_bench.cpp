// A whole package download through CDownloadJob against curl + Info-ZIP unzip on the same bytes.
//
// Builds a package of several files (Info-ZIP archives of text-like map data, cut into byte
// spans as the content server holds them), serves it with mapvale-servers on loopback, and in
// the same run:
//   - fetches every span with the curl command line (one curl per file, its spans written one
//     after the other into the whole archive) and extracts it with unzip;
//   - runs CDownloadJob with the real ZipModule on the same package.
// Each side runs `rounds` times, alternating; the fastest run of each counts. Prints both wall
// times, their ratio, and the peak resident memory of this process (the engine: worker, HTTP
// client, progress messages) and of the unpacker processes.
//
//   build/release/bench/download_job_bench [package_mib=1024] [program_dir=build/release/bin]
//                                          [files=4] [span_mib=4] [rounds=2]

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_package.h"
#include "bench_server.h"
#include "bench_support.h"
#include "catalog/download_job.h"
#include "catalog/entry_paths.h"

namespace {

namespace fs = std::filesystem;
using mapvale::bench::Clock;
using mapvale::bench::Seconds;

}  // namespace

int main(int argc, char** argv) {
    const mapvale::bench::PackageArguments arguments =
        mapvale::bench::ReadPackageArguments(argc, argv, 1024, 4);
    if (!arguments.valid()) {
        std::fprintf(stderr, "usage: %s [package_mib] [program_dir] [files] [span_mib] [rounds]\n",
                     argv[0]);
        return 2;
    }
    const long package_mib = arguments.package_mib;
    const std::string& program_dir = arguments.program_dir;
    const int file_count = arguments.file_count;
    const long span_mib = arguments.span_mib;
    const int rounds = arguments.rounds;
    const fs::path work =
        fs::temp_directory_path() / ("mapvale-job-bench-" + std::to_string(getpid()));
    const fs::path content = work / "content" / "pkg";
    fs::create_directories(content);

    // The package: content sized so that the archives come to about package_mib.
    std::printf("making the package (%d files)...\n", file_count);
    std::fflush(stdout);
    const mapvale::bench::SpannedPackage package = mapvale::bench::MakeSpannedPackage(
        work, content, file_count, static_cast<std::uint64_t>(package_mib) << 20,
        static_cast<std::uint64_t>(span_mib) << 20);
    const mapvale::bench::BenchServer server = mapvale::bench::StartBenchServer(
        program_dir + "/mapvale-servers", (work / "content").string());
    const std::string base_url = "http://" + server.host + "/pkg";
    // A failed run must not leave the server running or the package behind.
    const auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "%s\n", why.c_str());
        mapvale::bench::StopBenchServer(server);
        fs::remove_all(work);
        return 1;
    };

    double best_tools = 1e100;
    double best_engine = 1e100;
    double best_engine_whole = 1e100;
    long engine_rss_kb = 0;
    long unpacker_rss_kb = 0;
    for (int round = 0; round < rounds; ++round) {
        // curl + unzip: one curl per file writes its spans in order into the whole archive.
        const fs::path tools = work / "tools";
        fs::create_directories(tools / "out");
        auto t0 = Clock::now();
        for (const mapvale::bench::PackageFile& file : package.files) {
            const fs::path whole = tools / file.archive_name;
            const mapvale::catalog::ArchiveName parts =
                mapvale::catalog::SplitArchiveName(file.archive_name);
            // curl's URL globbing (Map1[001-064].zip) fetches the spans one after the other on
            // one connection; on standard output they follow each other as the whole archive.
            char range[64];
            std::snprintf(range, sizeof range, "[001-%03d]", file.spans);
            const std::string url =
                base_url + "/" +
                (file.spans == 1 ? file.archive_name : parts.base + range + "." + parts.extension);
            const std::string command = "curl -s --fail '" + url + "' > '" + whole.string() + "'";
            const std::string unzip =
                "unzip -q -o '" + whole.string() + "' -d '" + (tools / "out").string() + "'";
            if (std::system(command.c_str()) != 0 || std::system(unzip.c_str()) != 0) {
                return fail("curl or unzip failed on " + file.archive_name);
            }
        }
        best_tools = std::min(best_tools, Seconds(Clock::now() - t0));

        // The engine on the same package.
        mapvale::DeviceEntry device =
            mapvale::bench::PackageDevice(package, base_url, "BenchPack", 8, "");
        mapvale::bench::CountingOwner owner;
        const fs::path folder = work / "engine" / "BenchPack";
        mapvale::catalog::CDownloadJob job;
        job.SetUp(mapvale::bench::PackageDownloadSetup(owner, folder.string(), program_dir, device,
                                                       server.host));
        t0 = Clock::now();
        if (job.Start() != 1) {
            return fail("the engine did not start");
        }
        job.finished_event().Wait();
        const auto t1 = Clock::now();
        job.Cancel();
        if (!owner.download_complete().reached()) {
            return fail("the engine did not complete");
        }
        best_engine = std::min(best_engine, Seconds(owner.download_complete().at() - t0));
        best_engine_whole = std::min(best_engine_whole, Seconds(t1 - t0));
        engine_rss_kb = mapvale::bench::PeakRssKb(RUSAGE_SELF);
        unpacker_rss_kb = mapvale::bench::PeakRssKb(RUSAGE_CHILDREN);

        for (const mapvale::bench::PackageFile& file : package.files) {
            const std::string cmp = "cmp -s '" + (tools / "out" / file.name).string() + "' '" +
                                    (folder / file.name).string() + "'";
            if (std::system(cmp.c_str()) != 0) {
                return fail(file.name + " differs between the two runs");
            }
        }
        if (round == 0) {
            std::printf("messages posted by the engine: %llu\n",
                        static_cast<unsigned long long>(owner.count()));
        }
        fs::remove_all(tools);
        fs::remove_all(work / "engine");
    }

    mapvale::bench::StopBenchServer(server);
    fs::remove_all(work);

    const double mib = static_cast<double>(package.archive_bytes) / (1 << 20);
    std::printf("package           %.0f MiB in %d files, %d spans (%ld MiB), %.0f MiB extracted\n",
                mib, file_count, package.span_count, span_mib,
                static_cast<double>(package.extracted_bytes) / (1 << 20));
    std::printf("curl + unzip      %.2f s  (%.1f MiB/s of package)\n", best_tools,
                mib / best_tools);
    std::printf(
        "CDownloadJob      %.2f s  to WM_DOWNLOAD_COMPLETE (%.1f MiB/s); %.2f s with the "
        "report and its fixed 3 s wait\n",
        best_engine, mib / best_engine, best_engine_whole);
    std::printf("ratio             %.2f (engine time / curl + unzip time)\n",
                best_engine / best_tools);
    // Linux counts a spawned child's peak from the size of the process that spawned it: the
    // children's figure tells something only where it goes beyond this process's.
    if (unpacker_rss_kb > engine_rss_kb) {
        std::printf(
            "peak memory       engine process %.1f MiB; largest child (unpacker, zip, curl, "
            "unzip) %.1f MiB\n",
            engine_rss_kb / 1024.0, unpacker_rss_kb / 1024.0);
    } else {
        std::printf(
            "peak memory       engine process %.1f MiB; no child (unpacker, zip, curl, unzip) "
            "went beyond that\n",
            engine_rss_kb / 1024.0);
    }
    return 0;
}
