// The whole job: a package downloaded with CDownloadJob (real ZipModule, mapvale-servers on
// loopback) and installed with CInstallJob onto a virtual card (install mode 0, no backup),
// measured three ways in every round:
//   D  download only, to WM_DOWNLOAD_COMPLETE;
//   I  install only, from the package folder D left, to 0x807;
//   W  both side by side as the controller runs them (the download's file_done is the install's
//      file_ready, the install started right after the download), to the install's 0x807.
// The fastest of `rounds` counts for each. Side by side, the job should take about as long as
// the slower of the two: W / max(D, I) near 1, W / (D + I) well below 1. The last file's copy
// can only begin once the whole download is over, so W is at least D plus the copy of one file:
// more files make that tail shorter.
//
// Every measurement starts with the file systems flushed. The install flushes the card's file
// system before 0x807; when the card and the PC folder share a file system (the default: both in
// the work folder), that flush in W also writes out what the download left in the page cache,
// which neither D nor I pays. The writeback D leaves behind is printed for that reason, and a
// separate card folder (last argument) puts the card on a file system of its own.
//
//   build/release/bench/whole_job_bench [package_mib=512] [program_dir=build/release/bin]
//                                       [files=8] [span_mib=4] [rounds=2] [work_dir=$TMPDIR]
//                                       [card_dir=work_dir]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "bench_card.h"
#include "bench_package.h"
#include "bench_server.h"
#include "bench_support.h"
#include "card/install_job.h"
#include "card/install_sizes.h"
#include "catalog/download_job.h"
#include "platform/clock.h"
#include "platform/formatter.h"

namespace {

namespace fs = std::filesystem;
using mapvale::DeviceEntry;
using mapvale::FileEntry;
using mapvale::FileStatus;
using mapvale::bench::Clock;
using mapvale::bench::CountingOwner;
using mapvale::bench::Seconds;

constexpr const char* kPackage = "BenchPkg";
constexpr int kKind = 2;  // a unit whose card keeps its maps under "Tarno"
constexpr const char* kFolder = "메모리카드데이터/Tarno/MapData";
constexpr std::uint64_t kMib = 1 << 20;

// What every measurement works with. The card folder exists for as long as the bench runs.
struct Setting {
    std::string program_dir;
    std::string host;  // of mapvale-servers
    fs::path work;
    fs::path data;  // the PC's data folder; the package folder is data / kPackage
    fs::path card;
    mapvale::bench::VirtualCard* virtual_card = nullptr;
    DeviceEntry* device = nullptr;
    mapvale::platform::SystemClock clock;
    mapvale::platform::SystemSleeper sleeper;
    mapvale::platform::SystemFormatter formatter;
};

// Nothing of the package on the card; on the PC every file downloaded and selected (what the
// install finds after D) or nothing at all (what a first job finds).
void ResetEntries(DeviceEntry& device, bool downloaded) {
    for (FileEntry& entry : device.files) {
        entry.status = downloaded ? FileStatus::kDownloaded : FileStatus::kNotInJob;
        entry.percent = 0;
        entry.selected = downloaded ? 1 : 0;
        entry.needs_download = downloaded ? 0 : 1;
        entry.downloaded_version = downloaded ? entry.version : -1;
        entry.partial = 0;
        entry.card_version = -1;
    }
    device.completed_file_count = 0;
}

void Flush(const fs::path& folder) {
    mapvale::bench::RunOrExit("sync -f '" + folder.string() + "'");
}

void EmptyCard(const Setting& s) {
    fs::remove_all(s.card);
    fs::create_directories(s.card);
    Flush(s.card);
}

// Removes the package folder and empties the card; both file systems flushed.
void StartClean(const Setting& s) {
    fs::remove_all(s.data / kPackage);
    Flush(s.work);
    EmptyCard(s);
}

// Waits until the install has posted its last message; true when that was 0x807.
bool WaitForInstall(CountingOwner& owner, const mapvale::card::CInstallJob& install) {
    while (!owner.ended().Wait(std::chrono::seconds(1))) {
        // A worker that ends without a message was cancelled: nothing more will come.
        if (!install.IsRunning() && !owner.ended().IsSet()) {
            break;
        }
    }
    return owner.install_complete().reached() && !owner.failed();
}

int StartInstall(mapvale::card::CInstallJob& install) {
    return install.Start(0, mapvale::card::kBackupNothing, 0, "Tarno/", "UserData/");
}

// Seconds from Start to WM_DOWNLOAD_COMPLETE; nothing when the download failed.
std::optional<double> MeasureDownload(Setting& s) {
    ResetEntries(*s.device, false);
    CountingOwner owner;
    mapvale::catalog::CDownloadJob download;
    download.SetUp(mapvale::bench::PackageDownloadSetup(owner, (s.data / kPackage).string(),
                                                        s.program_dir, *s.device, s.host));
    const auto t0 = Clock::now();
    if (download.Start() != 1) {
        std::fprintf(stderr, "the download did not start\n");
        return std::nullopt;
    }
    // After 0x802 the job reports to the server and waits its fixed 3 s: not part of D.
    download.finished_event().Wait();
    download.Cancel();
    if (!owner.download_complete().reached()) {
        std::fprintf(stderr, "the download did not complete\n");
        return std::nullopt;
    }
    return Seconds(owner.download_complete().at() - t0);
}

// Seconds from Start to 0x807 for the package folder as D left it; nothing on failure.
std::optional<double> MeasureInstall(Setting& s) {
    ResetEntries(*s.device, true);
    CountingOwner owner;
    mapvale::card::CInstallJob install(s.virtual_card->volumes(), s.formatter, s.clock, s.sleeper);
    install.Setup(owner, s.data.string(), s.device, &s.virtual_card->record(), kKind);
    const auto t0 = Clock::now();
    if (StartInstall(install) != 1) {
        std::fprintf(stderr, "the install did not start\n");
        return std::nullopt;
    }
    const bool complete = WaitForInstall(owner, install);
    install.Cancel();
    if (!complete) {
        std::fprintf(stderr, "the install did not complete\n");
        return std::nullopt;
    }
    return Seconds(owner.install_complete().at() - t0);
}

struct WholeJob {
    double seconds = 0;           // to the install's 0x807
    double download_seconds = 0;  // to WM_DOWNLOAD_COMPLETE within it
};

// Both jobs as the controller starts them; nothing when either failed.
std::optional<WholeJob> MeasureSideBySide(Setting& s) {
    ResetEntries(*s.device, false);
    CountingOwner owner;
    mapvale::card::CInstallJob install(s.virtual_card->volumes(), s.formatter, s.clock, s.sleeper);
    mapvale::catalog::CDownloadJob download;
    mapvale::catalog::DownloadJobSetup setup = mapvale::bench::PackageDownloadSetup(
        owner, (s.data / kPackage).string(), s.program_dir, *s.device, s.host);
    setup.file_done = &install.file_ready();
    download.SetUp(setup);
    install.Setup(owner, s.data.string(), s.device, &s.virtual_card->record(), kKind);

    const auto t0 = Clock::now();
    if (download.Start() != 1) {
        std::fprintf(stderr, "the download did not start\n");
        return std::nullopt;
    }
    if (StartInstall(install) != 1) {
        std::fprintf(stderr, "the install did not start\n");
        download.Cancel();
        return std::nullopt;
    }
    const bool complete = WaitForInstall(owner, install);
    // The controller stops the download when the install fails; a completed install has seen
    // every file downloaded, and only the download's report and fixed wait are left.
    if (!complete) {
        download.Cancel();
    }
    download.finished_event().Wait();
    download.Cancel();
    install.Cancel();
    if (!complete || !owner.download_complete().reached()) {
        std::fprintf(stderr, "the whole job did not complete\n");
        return std::nullopt;
    }
    return WholeJob{Seconds(owner.install_complete().at() - t0),
                    Seconds(owner.download_complete().at() - t0)};
}

// True when every file on the card equals its downloaded copy on the PC.
bool CardMatchesPackage(const Setting& s) {
    for (const FileEntry& entry : s.device->files) {
        const fs::path pc = s.data / kPackage / kFolder / entry.file_name;
        const fs::path card = s.card / "Tarno" / "MapData" / entry.file_name;
        if (std::system(("cmp -s '" + pc.string() + "' '" + card.string() + "'").c_str()) != 0) {
            std::fprintf(stderr, "%s differs between the PC and the card\n",
                         entry.file_name.c_str());
            return false;
        }
    }
    return true;
}

// The fastest of the rounds for each measurement.
struct Best {
    double download = 1e100;
    double install = 1e100;
    WholeJob whole{1e100, 0};
    double download_writeback = 0;  // sync -f after the fastest D
};

// Runs D, I and W once per round, printing each round; false when a measurement failed.
bool RunRounds(Setting& s, int rounds, Best& best) {
    for (int round = 1; round <= rounds; ++round) {
        StartClean(s);
        const std::optional<double> d = MeasureDownload(s);
        if (!d) {
            return false;
        }
        const auto flush_start = Clock::now();
        Flush(s.work);
        const double writeback = Seconds(Clock::now() - flush_start);
        if (*d < best.download) {
            best.download = *d;
            best.download_writeback = writeback;
        }

        EmptyCard(s);
        const std::optional<double> i = MeasureInstall(s);
        if (!i) {
            return false;
        }
        best.install = std::min(best.install, *i);

        StartClean(s);
        const std::optional<WholeJob> w = MeasureSideBySide(s);
        if (!w || !CardMatchesPackage(s)) {
            return false;
        }
        if (w->seconds < best.whole.seconds) {
            best.whole = *w;
        }
        std::printf(
            "round %d: D %.2f s (then %.2f s writeback), I %.2f s, W %.2f s (download %.2f s)\n",
            round, *d, writeback, *i, w->seconds, w->download_seconds);
        std::fflush(stdout);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const mapvale::bench::PackageArguments arguments =
        mapvale::bench::ReadPackageArguments(argc, argv, 512, 8);
    if (!arguments.valid()) {
        std::fprintf(stderr,
                     "usage: %s [package_mib] [program_dir] [files] [span_mib] [rounds] "
                     "[work_dir] [card_dir]\n",
                     argv[0]);
        return 2;
    }
    const fs::path base = fs::absolute(argc > 6 ? fs::path(argv[6]) : fs::temp_directory_path());
    const std::string run_name = "mapvale-whole-job-bench-" + std::to_string(getpid());
    Setting s;
    s.program_dir = arguments.program_dir;
    s.work = base / run_name;
    s.data = s.work / "pc" / "data";
    s.card = argc > 7 ? fs::absolute(fs::path(argv[7])) / run_name : s.work / "card";

    std::printf("making the package (%d files)...\n", arguments.file_count);
    std::fflush(stdout);
    const mapvale::bench::SpannedPackage package =
        mapvale::bench::MakeSpannedPackage(s.work, s.work / "content" / "pkg", arguments.file_count,
                                           static_cast<std::uint64_t>(arguments.package_mib) * kMib,
                                           static_cast<std::uint64_t>(arguments.span_mib) * kMib);
    const mapvale::bench::BenchServer server = mapvale::bench::StartBenchServer(
        arguments.program_dir + "/mapvale-servers", (s.work / "content").string());
    s.host = server.host;
    fs::create_directories(s.data);
    fs::create_directories(s.card);
    DeviceEntry device = mapvale::bench::PackageDevice(package, "http://" + server.host + "/pkg",
                                                       kPackage, kKind, kFolder);
    s.device = &device;
    mapvale::bench::VirtualCard virtual_card(s.card.string(),
                                             2 * package.extracted_bytes + 64 * kMib);
    s.virtual_card = &virtual_card;

    Best best;
    const bool measured = RunRounds(s, arguments.rounds, best);
    const long self_kb = mapvale::bench::PeakRssKb(RUSAGE_SELF);
    mapvale::bench::StopBenchServer(server);
    fs::remove_all(s.card);
    fs::remove_all(s.work);
    if (!measured) {
        return 1;
    }

    const double d = best.download;
    const double i = best.install;
    const double w = best.whole.seconds;
    const double archive_mib = static_cast<double>(package.archive_bytes) / kMib;
    const double extracted_mib = static_cast<double>(package.extracted_bytes) / kMib;
    std::printf("package        %.0f MiB in %d files, %d spans (%ld MiB), %.0f MiB extracted\n",
                archive_mib, arguments.file_count, package.span_count, arguments.span_mib,
                extracted_mib);
    std::printf("fastest of %d:\n", arguments.rounds);
    std::printf("D download     %.2f s  (%.1f MiB/s of package; %.2f s writeback after it)\n", d,
                archive_mib / d, best.download_writeback);
    std::printf("I install      %.2f s  (%.1f MiB/s to the card)\n", i, extracted_mib / i);
    std::printf("W side by side %.2f s  (its download done after %.2f s)\n", w,
                best.whole.download_seconds);
    std::printf("W / max(D, I)  %.2f\n", w / std::max(d, i));
    std::printf("W / (D + I)    %.2f\n", w / (d + i));
    // Only this process: Linux counts a spawned child's peak from the size of the process that
    // spawned it, so the children's figure would say nothing about the unpacker.
    std::printf("peak memory    %.1f MiB resident in this process (both jobs and their messages)\n",
                self_kb / 1024.0);
    return 0;
}
