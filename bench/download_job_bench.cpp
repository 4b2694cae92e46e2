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

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_server.h"
#include <vector>

#include "catalog/download_job.h"
#include "catalog/entry_paths.h"
#include "model/messages.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Text-like content (64 symbols, lines of 76): deflate gets it to about three quarters.
void WriteContent(const fs::path& path, std::uint64_t bytes, std::uint64_t seed) {
    std::ofstream out(path, std::ios::binary);
    static constexpr char kSymbols[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string block(1 << 20, '\0');
    std::uint64_t x = 88172645463325252ull ^ (seed * 0x9E3779B97F4A7C15ull);
    for (std::uint64_t done = 0; done < bytes; done += block.size()) {
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (i % 77 == 76) {
                block[i] = '\n';
                continue;
            }
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            block[i] = kSymbols[x & 63];
        }
        const std::uint64_t n = std::min<std::uint64_t>(block.size(), bytes - done);
        out.write(block.data(), static_cast<std::streamsize>(n));
    }
}

// Counts what the engine posts and notes when the download completed; keeps nothing else, so
// the hundreds of thousands of progress messages of a big package cost no memory.
class BenchOwner final : public mapvale::platform::MessageTarget {
public:
    void Post(std::uint32_t message, mapvale::platform::WParam w_param,
              mapvale::platform::LParam l_param) override {
        ++count_;
        if (message == mapvale::WM_DOWNLOAD_COMPLETE) {
            completed_at_ = Clock::now();
            completed_.store(true);
        }
        if (message == mapvale::kMsgJobError) {
            std::fprintf(stderr, "engine error %llu/%lld\n",
                         static_cast<unsigned long long>(w_param), static_cast<long long>(l_param));
        }
    }
    bool completed() const { return completed_.load(); }
    Clock::time_point completed_at() const { return completed_at_; }
    std::uint64_t count() const { return count_.load(); }

private:
    std::atomic<bool> completed_{false};
    Clock::time_point completed_at_{};
    std::atomic<std::uint64_t> count_{0};
};

struct PackageFile {
    std::string name;          // Map1.dat
    std::string archive_name;  // Map1.zip
    std::uint64_t file_size = 0;
    std::uint64_t archive_size = 0;
    int spans = 0;
};

long MaxRssKb(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const long package_mib = argc > 1 ? std::atol(argv[1]) : 1024;
    const std::string program_dir = fs::absolute(argc > 2 ? argv[2] : "build/release/bin");
    const int file_count = argc > 3 ? std::atoi(argv[3]) : 4;
    const long span_mib = argc > 4 ? std::atol(argv[4]) : 4;
    const int rounds = argc > 5 ? std::atoi(argv[5]) : 2;
    if (package_mib <= 0 || file_count <= 0 || span_mib <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: %s [package_mib] [program_dir] [files] [span_mib] [rounds]\n",
                     argv[0]);
        return 2;
    }
    const fs::path work =
        fs::temp_directory_path() / ("mapvale-job-bench-" + std::to_string(getpid()));
    const fs::path content = work / "content" / "pkg";
    fs::create_directories(content);

    // The package: content sized so that the archives come to about package_mib.
    std::printf("making the package (%d files)...\n", file_count);
    std::fflush(stdout);
    std::vector<PackageFile> files;
    const std::uint64_t span_bytes = static_cast<std::uint64_t>(span_mib) << 20;
    const std::uint64_t content_bytes = (static_cast<std::uint64_t>(package_mib) << 20) * 4 / 3 /
                                        static_cast<std::uint64_t>(file_count);
    std::uint64_t package_bytes = 0;
    int span_total = 0;
    for (int i = 1; i <= file_count; ++i) {
        PackageFile file;
        file.name = "Map" + std::to_string(i) + ".dat";
        file.archive_name = "Map" + std::to_string(i) + ".zip";
        const fs::path source = work / "src" / file.name;
        fs::create_directories(source.parent_path());
        WriteContent(source, content_bytes, static_cast<std::uint64_t>(i));
        file.file_size = content_bytes;
        const fs::path whole = work / file.archive_name;
        Run("cd '" + source.parent_path().string() + "' && zip -q -1 '" + whole.string() + "' '" +
            file.name + "'");
        fs::remove(source);
        file.archive_size = fs::file_size(whole);
        file.spans = static_cast<int>((file.archive_size + span_bytes - 1) / span_bytes);
        std::ifstream in(whole, std::ios::binary);
        std::string buffer(span_bytes, '\0');
        for (int j = 1; j <= file.spans; ++j) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            std::ofstream out(
                content / mapvale::catalog::SpanName(file.archive_name, file.spans, j),
                std::ios::binary);
            out.write(buffer.data(), in.gcount());
        }
        fs::remove(whole);
        package_bytes += file.archive_size;
        span_total += file.spans;
        files.push_back(file);
    }
    const mapvale::bench::BenchServer server = mapvale::bench::StartBenchServer(
        program_dir + "/mapvale-servers", (work / "content").string());
    const std::string base_url = "http://" + server.host + "/pkg";

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
        for (const PackageFile& file : files) {
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
            Run(command);
            Run("unzip -q -o '" + whole.string() + "' -d '" + (tools / "out").string() + "'");
        }
        best_tools = std::min(best_tools, Seconds(Clock::now() - t0));

        // The engine on the same package.
        mapvale::DeviceEntry device;
        device.kind = 8;
        device.model_name = "BenchPack";
        device.identifier = "BENCH";
        device.registered = 1;
        device.install_type = 1;
        for (const PackageFile& file : files) {
            mapvale::FileEntry entry;
            entry.information_path = base_url;
            entry.file_name = file.name;
            entry.file_size = static_cast<std::int32_t>(file.file_size);
            entry.part_count = file.spans;
            entry.archive_name = file.archive_name;
            entry.archive_size = static_cast<std::int32_t>(file.archive_size);
            entry.version = 1;
            entry.attributes = {0, 0, 1, 0, 0, 0};
            device.files.push_back(entry);
        }
        BenchOwner owner;
        const fs::path folder = work / "engine" / "BenchPack";
        mapvale::catalog::CDownloadJob job;
        mapvale::catalog::DownloadJobSetup setup;
        setup.owner = &owner;
        setup.download_folder = folder.string();
        setup.program_folder = program_dir;
        setup.device = &device;
        setup.servers.Set(mapvale::ServerConfig::kRegistration, server.host);
        job.SetUp(setup);
        t0 = Clock::now();
        if (job.Start() != 1) {
            std::fprintf(stderr, "the engine did not start\n");
            return 1;
        }
        job.finished_event().Wait();
        const auto t1 = Clock::now();
        job.Cancel();
        if (!owner.completed()) {
            std::fprintf(stderr, "the engine did not complete\n");
            return 1;
        }
        best_engine = std::min(best_engine, Seconds(owner.completed_at() - t0));
        best_engine_whole = std::min(best_engine_whole, Seconds(t1 - t0));
        engine_rss_kb = MaxRssKb(RUSAGE_SELF);
        unpacker_rss_kb = MaxRssKb(RUSAGE_CHILDREN);

        for (const PackageFile& file : files) {
            const std::string cmp = "cmp -s '" + (tools / "out" / file.name).string() + "' '" +
                                    (folder / file.name).string() + "'";
            if (std::system(cmp.c_str()) != 0) {
                std::fprintf(stderr, "%s differs between the two runs\n", file.name.c_str());
                return 1;
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

    const double mib = static_cast<double>(package_bytes) / (1 << 20);
    std::printf("package           %.0f MiB in %d files, %d spans (%ld MiB), %.0f MiB extracted\n",
                mib, file_count, span_total, span_mib,
                static_cast<double>(files.size() * content_bytes) / (1 << 20));
    std::printf("curl + unzip      %.2f s  (%.1f MiB/s of package)\n", best_tools,
                mib / best_tools);
    std::printf(
        "CDownloadJob      %.2f s  to WM_DOWNLOAD_COMPLETE (%.1f MiB/s); %.2f s with the "
        "report and its fixed 3 s wait\n",
        best_engine, mib / best_engine, best_engine_whole);
    std::printf("ratio             %.2f (engine time / curl + unzip time)\n",
                best_engine / best_tools);
    std::printf(
        "peak memory       engine process %.1f MiB; largest child (unpacker, zip, curl, "
        "unzip) %.1f MiB\n",
        engine_rss_kb / 1024.0, unpacker_rss_kb / 1024.0);
    return 0;
}
