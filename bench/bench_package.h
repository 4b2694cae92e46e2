#pragma once

// The package the download benchmarks serve: several files of text-like map data, each an
// Info-ZIP archive cut into byte spans as the content server holds them, and the device entry
// that lists it.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "catalog/download_job.h"
#include "catalog/entry_paths.h"
#include "model/device_entry.h"

namespace mapvale::bench {

// Text-like content (64 symbols, lines of 76): deflate gets it to about three quarters.
inline void WriteTextContent(const std::filesystem::path& path, std::uint64_t bytes,
                             std::uint64_t seed) {
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

struct PackageFile {
    std::string name;          // Map1.dat
    std::string archive_name;  // Map1.zip
    std::uint64_t file_size = 0;
    std::uint64_t archive_size = 0;
    int spans = 0;
};

struct SpannedPackage {
    std::vector<PackageFile> files;
    std::uint64_t archive_bytes = 0;    // what a download fetches
    std::uint64_t extracted_bytes = 0;  // what an install copies
    int span_count = 0;
};

// Writes `file_count` files whose archives come to about `package_bytes` together, zipped in
// `scratch` and cut into spans of `span_bytes` in `content`. Ends the benchmark when a file
// would not fit the package information's 32-bit sizes or a tool fails.
inline SpannedPackage MakeSpannedPackage(const std::filesystem::path& scratch,
                                         const std::filesystem::path& content, int file_count,
                                         std::uint64_t package_bytes, std::uint64_t span_bytes) {
    namespace fs = std::filesystem;
    const std::uint64_t content_bytes =
        package_bytes * 4 / 3 / static_cast<std::uint64_t>(file_count);
    if (content_bytes > 0x7FFFFFFF) {
        std::fprintf(stderr, "files of %llu bytes are too large for one entry: use more files\n",
                     static_cast<unsigned long long>(content_bytes));
        std::exit(2);
    }
    fs::create_directories(scratch / "src");
    fs::create_directories(content);
    SpannedPackage package;
    std::string buffer(span_bytes, '\0');
    for (int i = 1; i <= file_count; ++i) {
        PackageFile file;
        file.name = "Map" + std::to_string(i) + ".dat";
        file.archive_name = "Map" + std::to_string(i) + ".zip";
        const fs::path source = scratch / "src" / file.name;
        WriteTextContent(source, content_bytes, static_cast<std::uint64_t>(i));
        file.file_size = content_bytes;
        const fs::path whole = scratch / file.archive_name;
        RunOrExit("cd '" + source.parent_path().string() + "' && zip -q -1 '" + whole.string() +
                  "' '" + file.name + "'");
        fs::remove(source);
        file.archive_size = fs::file_size(whole);
        file.spans = static_cast<int>((file.archive_size + span_bytes - 1) / span_bytes);
        std::ifstream in(whole, std::ios::binary);
        for (int j = 1; j <= file.spans; ++j) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            std::ofstream out(content / catalog::SpanName(file.archive_name, file.spans, j),
                              std::ios::binary);
            out.write(buffer.data(), in.gcount());
        }
        fs::remove(whole);
        package.archive_bytes += file.archive_size;
        package.extracted_bytes += file.file_size;
        package.span_count += file.spans;
        package.files.push_back(file);
    }
    fs::remove_all(scratch / "src");
    return package;
}

// A registered device of `kind` whose package is `package` at `base_url`, every file in the job
// (attribute 3) and put into `destination` (empty: the package folder itself).
inline DeviceEntry PackageDevice(const SpannedPackage& package, const std::string& base_url,
                                 const std::string& model_name, int kind,
                                 const std::string& destination) {
    DeviceEntry device;
    device.kind = kind;
    device.model_name = model_name;
    device.identifier = "BENCH";
    device.registered = 1;
    device.install_type = 1;
    for (const PackageFile& file : package.files) {
        FileEntry entry;
        entry.information_path = base_url;
        entry.destination_path = destination;
        entry.file_name = file.name;
        entry.file_size = static_cast<std::int32_t>(file.file_size);
        entry.part_count = file.spans;
        entry.archive_name = file.archive_name;
        entry.archive_size = static_cast<std::int32_t>(file.archive_size);
        entry.version = 1;
        entry.attributes = {0, 0, 1, 0, 0, 0};
        device.files.push_back(entry);
    }
    return device;
}

// The arguments the package benchmarks begin with: [package_mib] [program_dir] [files]
// [span_mib] [rounds].
struct PackageArguments {
    long package_mib = 0;
    std::string program_dir;  // holds mapvale-servers and ZipModule
    int file_count = 0;
    long span_mib = 4;
    int rounds = 2;

    bool valid() const { return package_mib > 0 && file_count > 0 && span_mib > 0 && rounds > 0; }
};

inline PackageArguments ReadPackageArguments(int argc, char** argv, long default_mib,
                                             int default_files) {
    PackageArguments a;
    a.package_mib = argc > 1 ? std::atol(argv[1]) : default_mib;
    a.program_dir = std::filesystem::absolute(argc > 2 ? argv[2] : "build/release/bin");
    a.file_count = argc > 3 ? std::atoi(argv[3]) : default_files;
    a.span_mib = argc > 4 ? std::atol(argv[4]) : 4;
    a.rounds = argc > 5 ? std::atoi(argv[5]) : 2;
    return a;
}

// The download job's set-up for `device` against the stand-in servers at `host`, with the real
// unpacker from `program_dir`.
inline catalog::DownloadJobSetup PackageDownloadSetup(platform::MessageTarget& owner,
                                                      const std::string& download_folder,
                                                      const std::string& program_dir,
                                                      DeviceEntry& device,
                                                      const std::string& host) {
    catalog::DownloadJobSetup setup;
    setup.owner = &owner;
    setup.download_folder = download_folder;
    setup.program_folder = program_dir;
    setup.device = &device;
    setup.servers.Set(ServerConfig::kRegistration, host);
    return setup;
}

}  // namespace mapvale::bench
