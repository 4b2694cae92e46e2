#pragma once

// Helpers for the download engine's tests: packages built in the test (zip archives cut into
// byte spans under a content tree served by mapvale-servers), a sleeper on the fake clock that
// records every wait, a launcher that records the unpacker's starts, and volumes with a chosen
// amount of free space.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "catalog/entry_paths.h"
#include "model/device_entry.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/fake_clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/volumes.h"
#include "support/sandbox.h"

namespace mapvale::catalog::testing {

using Member = std::pair<std::string, std::string>;  // name in the archive, content

// Bytes that compress somewhat and differ everywhere, so a lost or doubled block shows.
inline std::string Content(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>('a' + x % 16);
    }
    return bytes;
}

// The bytes of a zip archive of `members`, made with libzip.
inline std::string ZipBytes(const std::string& scratch_path, const std::vector<Member>& members) {
    int error = 0;
    zip_t* archive = zip_open(scratch_path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr) << "zip_open error " << error;
    if (archive == nullptr) {
        return {};
    }
    for (const auto& [name, data] : members) {
        void* copy = std::malloc(data.size() + 1);
        std::memcpy(copy, data.data(), data.size());
        zip_source_t* source = zip_source_buffer(archive, copy, data.size(), 1);
        EXPECT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    std::string bytes = mapvale::testing::Sandbox::Read(scratch_path);
    std::filesystem::remove(scratch_path);
    return bytes;
}

// One package file as the server holds it: `archive` cut into `spans` byte spans named as the
// engine asks for them, under content/<url_folder>/.
struct ServedFile {
    std::string url_folder;   // below the content root, e.g. "pkg"
    std::string destination;  // DEST_PATH
    std::string file_name;    // AG_FILENAME
    std::string archive_name;
    int spans = 1;
    std::string archive;  // the zip bytes
    std::int32_t file_size = 0;
};

// Writes the spans of `file` under `content_root` and returns its entry, as the package step
// would leave it, with `base_url` (the server) as root URL. Filed under a category every variant
// installs.
inline FileEntry Serve(const mapvale::testing::Sandbox& box, const std::string& content_root,
                       const std::string& base_url, const ServedFile& file) {
    const std::size_t size = file.archive.size();
    const std::size_t n = static_cast<std::size_t>(std::max(file.spans, 1));
    std::size_t at = 0;
    for (std::size_t j = 1; j <= n; ++j) {
        const std::size_t length = j == n ? size - at : size / n;
        box.Write(content_root + "/" + file.url_folder + "/" +
                      SpanName(file.archive_name, file.spans, static_cast<int>(j)),
                  file.archive.substr(at, length));
        at += length;
    }
    FileEntry entry;
    entry.information_path = base_url + "/" + file.url_folder;
    entry.destination_path = file.destination;
    entry.file_name = file.file_name;
    entry.file_size = file.file_size;
    entry.part_count = file.spans;
    entry.archive_name = file.archive_name;
    entry.archive_size = static_cast<std::int32_t>(size);
    entry.version = 7;
    entry.attributes = {0, 0, 1, 0, 0, 0};
    return entry;
}

// A FakeSleeper that records every wait and gives a waited-for event a little real time
// (enough for an unpacker to end) before the fake clock jumps. `on_wait` runs on the waiting
// thread before each wait; set it before the job starts.
class TestSleeper final : public platform::Sleeper {
public:
    explicit TestSleeper(platform::FakeClock& clock) : fake_(clock) {}

    void Sleep(std::chrono::milliseconds duration) override {
        Record(duration);
        fake_.Sleep(duration);
    }
    bool WaitFor(platform::Event& event, std::chrono::milliseconds timeout) override {
        Record(timeout);
        if (event.Wait(std::min(timeout, kRealGrace))) {
            return true;
        }
        return fake_.WaitFor(event, timeout);
    }
    // Waits then last until the test moves the clock (or the event comes).
    void SetManual() { fake_.SetMode(platform::FakeSleeper::Mode::kManual); }

    std::size_t CountOf(std::chrono::milliseconds duration) const {
        std::lock_guard lock(mutex_);
        return static_cast<std::size_t>(std::count(waits_.begin(), waits_.end(), duration));
    }

    std::function<void(std::chrono::milliseconds duration, std::size_t count)> on_wait;

private:
    static constexpr std::chrono::milliseconds kRealGrace{20};

    void Record(std::chrono::milliseconds duration) {
        std::size_t count = 0;
        {
            std::lock_guard lock(mutex_);
            waits_.push_back(duration);
            count = static_cast<std::size_t>(std::count(waits_.begin(), waits_.end(), duration));
        }
        if (on_wait) {
            on_wait(duration, count);
        }
    }

    platform::FakeSleeper fake_;
    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> waits_;
};

// Starts programs for real and records each start: the request, the program's pid and what the
// watched folder held at that moment.
class RecordingLauncher final : public platform::ProcessLauncher {
public:
    struct Launch {
        platform::LaunchRequest request;
        int pid = -1;
        std::vector<std::string> folder_listing;  // file names, sorted
    };

    void Watch(std::string folder) { watched_ = std::move(folder); }

    std::unique_ptr<platform::Process> Start(const platform::LaunchRequest& request) override {
        Launch start{request, -1, {}};
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(watched_, error)) {
            if (item.is_regular_file()) {
                start.folder_listing.push_back(item.path().filename().string());
            }
        }
        std::sort(start.folder_listing.begin(), start.folder_listing.end());
        auto process = platform::DefaultProcessLauncher().Start(request);
        if (process) {
            start.pid = process->Pid();
        }
        std::lock_guard lock(mutex_);
        starts_.push_back(std::move(start));
        return process;
    }

    std::vector<Launch> starts() const {
        std::lock_guard lock(mutex_);
        return starts_;
    }

private:
    std::string watched_;
    mutable std::mutex mutex_;
    std::vector<Launch> starts_;
};

// One fixed volume holding everything under `root`, with a free space the test chooses.
class FixedVolumes final : public platform::Volumes {
public:
    explicit FixedVolumes(std::string root) : root_(platform::NormalizeFolder(root)) {}

    std::vector<platform::Volume> List() override {
        platform::Volume volume;
        volume.letter = 'D';
        volume.root = root_;
        volume.kind = platform::VolumeKind::kFixed;
        return {volume};
    }
    std::optional<platform::VolumeSpace> Space(char letter) override {
        if (letter != 'D') {
            return std::nullopt;
        }
        const std::uint64_t free = free_bytes.load();
        return platform::VolumeSpace{free * 2, free, free};
    }

    std::atomic<std::uint64_t> free_bytes{std::uint64_t{1} << 40};

private:
    std::string root_;
};

// A stand-in unpacker: a shell script named like the real one in `folder`.
inline void WriteUnpackerScript(const mapvale::testing::Sandbox& box, const std::string& folder,
                                const std::string& body) {
    const std::string path = box.Write(folder + "/ZipModule", "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

}  // namespace mapvale::catalog::testing
