// Installs a downloaded package of about `size_mib` MiB (eight large map files and many 1 MiB
// files) from the PC's package folder to a virtual card in another folder with CInstallJob, and
// copies the same files with `cp -r` in the same run; prints both throughputs, their ratio and
// the peak memory of the process that ran the install.
//
// The install flushes the card's file system before it reports completion, so cp is timed with
// the same flush (`sync -f`); cp alone is compared with the install's copies up to the flush
// (the moment its last progress message says every byte is copied).
//
//   build/release/bench/install_bench [size_mib=1024] [rounds=3] [work_dir=$TMPDIR]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_card.h"
#include "bench_support.h"
#include "card/install_job.h"
#include "catalog/entry_paths.h"
#include "model/messages.h"
#include "platform/clock.h"
#include "platform/formatter.h"
#include "platform/message_queue.h"

namespace {

namespace fs = std::filesystem;
using mapvale::FileEntry;
using mapvale::FileStatus;
using mapvale::bench::RunOrExit;

constexpr std::uint64_t kMib = 1024 * 1024;
constexpr const char* kPackage = "BenchPkg";
constexpr const char* kFolder = "메모리카드데이터/Tarno/MapData";

double Seconds(mapvale::bench::Clock::time_point since) {
    return mapvale::bench::Seconds(mapvale::bench::Clock::now() - since);
}

// Writes `bytes` of a repeating pattern through one 1 MiB buffer, so the bench's own memory
// stays flat.
void WriteFile(const fs::path& path, std::uint64_t bytes) {
    static std::vector<char> block = [] {
        std::vector<char> b(kMib);
        for (std::size_t i = 0; i < b.size(); ++i) {
            b[i] = static_cast<char>(i * 131 % 251);
        }
        return b;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    for (std::uint64_t left = bytes; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kMib));
        std::fwrite(block.data(), 1, n, file);
        left -= n;
    }
    std::fclose(file);
}

void Empty(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path base = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path();
    const fs::path work = base / ("mapvale-install-bench-" + std::to_string(getpid()));
    const fs::path data = work / "pc" / "data";
    const fs::path card = work / "card";
    const fs::path cp_target = work / "cp-target";
    const fs::path package = data / kPackage;
    fs::create_directories(package / kFolder);
    fs::create_directories(card);

    // Three quarters in eight large files, a quarter in 1 MiB files.
    mapvale::DeviceEntry device;
    device.model_name = kPackage;
    device.kind = 2;
    std::uint64_t total = 0;
    auto add = [&](const std::string& name, std::uint64_t bytes) {
        FileEntry& entry = device.files.emplace_back();
        entry.file_name = name;
        entry.destination_path = kFolder;
        entry.file_size = static_cast<std::int32_t>(bytes);
        entry.version = 1;
        entry.selected = 1;
        entry.needs_download = 0;
        WriteFile(package / kFolder / name, bytes);
        total += bytes;
    };
    const std::uint64_t large = mib * 3 / 4 / 8 * kMib;
    for (int i = 0; i < 8; ++i) {
        add("map" + std::to_string(i) + ".dat", large);
    }
    for (std::uint64_t i = 0; total < mib * kMib; ++i) {
        add("tile" + std::to_string(i) + ".dat", std::min<std::uint64_t>(kMib, mib * kMib - total));
    }
    device.installed_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFF));
    std::printf("package: %zu files, %.1f MiB\n", device.files.size(),
                static_cast<double>(total) / kMib);

    mapvale::bench::VirtualCard virtual_card(card.string(), 4 * total + 64 * kMib);
    mapvale::platform::SystemFormatter formatter;
    mapvale::platform::SystemClock clock;
    mapvale::platform::SystemSleeper sleeper;
    mapvale::platform::MessageQueue queue;
    mapvale::card::CInstallJob job(virtual_card.volumes(), formatter, clock, sleeper);

    const std::string source = (package / "메모리카드데이터").string();
    // A failed run must not leave the package behind.
    const auto fail = [&](const char* why) {
        std::fprintf(stderr, "%s\n", why);
        job.Cancel();
        fs::remove_all(work);
        return 1;
    };
    std::vector<double> cp_times, cp_sync_times, install_times, copied_times;
    for (int round = 0; round < rounds; ++round) {
        Empty(cp_target);
        auto start = mapvale::bench::Clock::now();
        RunOrExit("cp -r '" + source + "' '" + cp_target.string() + "/'");
        cp_times.push_back(Seconds(start));
        RunOrExit("sync -f '" + cp_target.string() + "'");
        cp_sync_times.push_back(Seconds(start));
        Empty(cp_target);
        RunOrExit("sync -f '" + cp_target.string() + "'");

        Empty(card);
        for (FileEntry& entry : device.files) {
            entry.status = FileStatus::kDownloaded;
            entry.percent = 0;
            entry.card_version = -1;
        }
        queue.Drain();
        start = mapvale::bench::Clock::now();
        job.Setup(queue, data.string(), &device, &virtual_card.record(), 2);
        if (job.Start(0, 0, 0, "Tarno/", "UserData/") != 1) {
            return fail("the install did not start");
        }
        bool complete = false;
        double copied = 0;
        for (;;) {
            const auto message = queue.WaitTake(std::chrono::milliseconds(100));
            // The last file's last chunk: every byte is copied, the flush has not begun.
            if (message && message->message == mapvale::kMsgCopyProgress && copied == 0 &&
                message->w_param == static_cast<std::uint64_t>(message->l_param)) {
                copied = Seconds(start);
            }
            if (message && message->message == mapvale::kMsgInstallComplete) {
                complete = true;
                break;
            }
            if (message && message->message == mapvale::kMsgJobError) {
                std::fprintf(stderr, "install error %llu %lld\n",
                             static_cast<unsigned long long>(message->w_param),
                             static_cast<long long>(message->l_param));
                return fail("the install failed");
            }
            if (!message && !job.IsRunning() && queue.Size() == 0) {
                break;
            }
        }
        install_times.push_back(Seconds(start));
        copied_times.push_back(copied);
        job.Cancel();
        if (!complete) {
            return fail("the install ended without completing");
        }
        std::printf("round %d: cp -r %.2f s, cp -r + sync %.2f s, install %.2f s (copies %.2f s)\n",
                    round + 1, cp_times.back(), cp_sync_times.back(), install_times.back(),
                    copied_times.back());
        Empty(card);
        RunOrExit("sync -f '" + card.string() + "'");
    }

    const double mb = static_cast<double>(total) / kMib;
    const double cp = mb / Median(cp_times);
    const double cp_sync = mb / Median(cp_sync_times);
    const double install = mb / Median(install_times);
    const double copies = mb / Median(copied_times);
    std::printf(
        "median of %d: cp -r %.0f MiB/s, cp -r + sync %.0f MiB/s, install %.0f MiB/s, "
        "its copies before the flush %.0f MiB/s\n",
        rounds, cp, cp_sync, install, copies);
    std::printf("install / (cp -r + sync) = %.2f   copies / cp -r = %.2f   peak RSS %ld KiB\n",
                install / cp_sync, copies / cp, mapvale::bench::PeakRssKb(RUSAGE_SELF));
    fs::remove_all(work);
    return 0;
}
