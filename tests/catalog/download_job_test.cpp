#include "catalog/download_job.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "catalog/download_fixture.h"
#include "catalog/download_space.h"
#include "catalog/file_selection.h"
#include "catalog/unpacker_run.h"
#include "catalog/volume_set.h"
#include "model/messages.h"
#include "platform/message_queue.h"
#include "platform/mount_table.h"
#include "support/server_process.h"
#include "support/stalling_server.h"
#include "support/test_child.h"

namespace mapvale::catalog {
namespace {

using namespace std::chrono_literals;
using mapvale::testing::LoggedRequest;
using mapvale::testing::ReadRequestLog;
using mapvale::testing::Sandbox;
using mapvale::testing::ServerProcess;
using mapvale::testing::WaitUntil;
using platform::Message;
using testing::Content;
using testing::ServedFile;
using testing::ZipBytes;

constexpr auto kRunTimeout = std::chrono::milliseconds(60000);

// Exit status of a child that may not mount (no privilege for a mount namespace).
constexpr int kCannotMount = 77;

// Mounts a tmpfs of 1 MiB on args[0] in a mount namespace of its own, which the volume list
// does not show (it lists the file system below, with room enough), and asks a download job
// for a package folder there to start: 0 when it refused for the disk, 1 when not.
MAPVALE_TEST_CHILD(download_job_on_a_small_tmpfs) {
    const std::string folder = args.at(0);
    const int flags = ::geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
    if (::unshare(flags) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
        return kCannotMount;
    }
    platform::MountTableSource mounts;
    platform::MachineVolumes volumes({&mounts});
    DeviceEntry device;
    device.kind = 8;
    device.model_name = "TestPack";
    device.download_size = 64 * 1024;
    device.registered = 0;  // a job that passes the space check stops without a message
    platform::MessageQueue owner;
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    DownloadJobServices services;
    services.volumes = &volumes;
    services.sleeper = &sleeper;
    CDownloadJob job(services);
    DownloadJobSetup setup;
    setup.owner = &owner;
    setup.download_folder = folder + "/TestPack/";
    setup.device = &device;
    job.SetUp(setup);
    const bool refused =
        job.Start() == 0 && owner.Drain() == std::vector<Message>{{kMsgJobError, kNoDiskSpace, 0}};
    const std::optional<std::uint64_t> free = FreeBytesFor(volumes, folder);
    return refused && free && *free <= (std::uint64_t{1} << 20) ? 0 : 1;
}

TEST(DownloadSpaceTest, AFolderOnAFileSystemTheVolumeListDoesNotShowHasItsOwnRoom) {
    Sandbox box;
    std::filesystem::create_directories(box.Path("data"));
    const std::string self = mapvale::testing::SelfPath();
    std::vector<std::string> arguments = {self};
    for (std::string& argument :
         mapvale::testing::ChildArguments("download_job_on_a_small_tmpfs", {box.Path("data")})) {
        arguments.push_back(std::move(argument));
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const int result = mapvale::testing::ExitStatusOf(status);
    if (result == kCannotMount) {
        GTEST_SKIP() << "this process may not mount a tmpfs";
    }
    EXPECT_EQ(result, 0);
}

class DownloadJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* program_dir = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(program_dir, nullptr) << "run the tests through ctest";
        program_dir_ = program_dir;
        device_.kind = 8;
        device_.model_name = "TestPack";
        device_.identifier = "DEV-1";
        device_.registered = 1;
        device_.install_type = 1;
        launcher_.Watch(folder());
    }

    void Serve(std::vector<std::string> options = {}) {
        std::vector<std::string> args{"serve", "--content", box_.Path("content"), "--request-log",
                                      box_.Path("requests.log")};
        args.insert(args.end(), options.begin(), options.end());
        std::filesystem::create_directories(box_.Path("content"));
        server_ = std::make_unique<ServerProcess>(args);
        ASSERT_TRUE(server_->ok()) << server_->error();
    }

    // The package folder on the PC.
    std::string folder() const { return box_.Path("pc/TestPack"); }
    std::string InFolder(const std::string& name) const { return folder() + "/" + name; }

    // A file of the package: `members` zipped as `archive_name`, cut into `spans`, served from
    // content/pkg/; the extracted file is the member called `file_name`.
    FileEntry& AddFile(const std::string& file_name, const std::string& archive_name, int spans,
                       const std::vector<testing::Member>& members,
                       const std::string& destination = {}) {
        ServedFile file;
        file.url_folder = "pkg";
        file.destination = destination;
        file.file_name = file_name;
        file.archive_name = archive_name;
        file.spans = spans;
        file.archive = ZipBytes(box_.Path("scratch.zip"), members);
        for (const auto& [name, data] : members) {
            if (name == file_name) {
                file.file_size = static_cast<std::int32_t>(data.size());
            }
        }
        device_.files.push_back(testing::Serve(box_, "content", server_->Url(""), file));
        return device_.files.back();
    }

    void MakeJob(const std::string& program_dir = {}) {
        job_ = std::make_unique<CDownloadJob>(
            DownloadJobServices{&clock_, &sleeper_, &launcher_, &volumes_});
        DownloadJobSetup setup;
        setup.owner = &owner_;
        setup.download_folder = folder();
        setup.program_folder = program_dir.empty() ? program_dir_ : program_dir;
        setup.device = &device_;
        setup.servers.Set(ServerConfig::kRegistration, server_ ? server_->address() : "");
        setup.file_done = &file_done_;
        ASSERT_TRUE(job_->SetUp(setup));
    }

    // Starts the job and waits until its worker has ended.
    void Run(const std::string& program_dir = {}) {
        MakeJob(program_dir);
        ASSERT_EQ(job_->Start(), 1);
        ASSERT_TRUE(WaitUntil([&] { return !job_->running(); }, kRunTimeout));
        job_->Cancel();  // joins the ended worker
    }

    // Everything posted so far, oldest first.
    const std::vector<Message>& Posted() {
        for (auto& m : owner_.Drain()) {
            posted_.push_back(m);
        }
        return posted_;
    }
    std::vector<Message> Posted(std::uint32_t id) {
        std::vector<Message> out;
        for (const Message& m : Posted()) {
            if (m.message == id) {
                out.push_back(m);
            }
        }
        return out;
    }

    // Request paths in the order the server took them, once `count` have been logged.
    std::vector<std::string> RequestedPaths(std::size_t count) {
        EXPECT_TRUE(
            WaitUntil([&] { return ReadRequestLog(box_.Path("requests.log")).size() >= count; }));
        auto requests = ReadRequestLog(box_.Path("requests.log"));
        std::sort(requests.begin(), requests.end(),
                  [](const auto& a, const auto& b) { return a.number < b.number; });
        std::vector<std::string> paths;
        for (const LoggedRequest& r : requests) {
            paths.push_back(r.path);
        }
        return paths;
    }

    // The completion mark of the PC version file, or -1 without one.
    int VersionMark() const {
        const std::string text = Sandbox::Read(InFolder("TestPack.ver"));
        const std::size_t end = text.find('\n');
        if (text.rfind("*|", 0) != 0 || end == std::string::npos || end < 1) {
            return -1;
        }
        return text[end - 1] - '0';
    }

    std::vector<std::string> FilesIn(const std::string& path) const {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::recursive_directory_iterator(path)) {
            if (item.is_regular_file()) {
                names.push_back(std::filesystem::relative(item.path(), path).string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    Sandbox box_;
    std::string program_dir_;
    platform::FakeClock clock_;
    testing::TestSleeper sleeper_{clock_};
    testing::RecordingLauncher launcher_;
    testing::FixedVolumes volumes_{box_.Path()};
    platform::MessageQueue owner_;
    platform::Event file_done_{platform::Event::Mode::kManualReset};
    DeviceEntry device_;
    std::vector<Message> posted_;
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<CDownloadJob> job_;  // last: ends before what it uses
};

TEST(VolumeSetTest, JoinRenamesSpansIntoTheSetAndComparesSums) {
    Sandbox box;
    const auto spans = [&] {
        box.Write("d/Korea001.zip", "aaaa");
        box.Write("d/Korea002.zip", "bbb");
        box.Write("d/Korea003.zip", "cc");
    };
    spans();
    box.Write("d/Korea.000", "left over from before");
    EXPECT_EQ(VolumeJoin(box.Path("d"), "Korea.zip", 3, 9), kJoinComplete);
    EXPECT_EQ(Sandbox::Read(box.Path("d/Korea.000")), "aaaa");
    EXPECT_EQ(Sandbox::Read(box.Path("d/Korea.001")), "bbb");
    EXPECT_EQ(Sandbox::Read(box.Path("d/Korea.zip")), "cc");
    EXPECT_FALSE(platform::FileExists(box.Path("d/Korea001.zip")));

    spans();
    EXPECT_EQ(VolumeJoin(box.Path("d"), "Korea.zip", 3, 10), kJoinDownloadedShort);

    spans();
    std::filesystem::remove(box.Path("d/Korea002.zip"));
    EXPECT_EQ(VolumeJoin(box.Path("d"), "Korea.zip", 3, 9), kJoinSpanMissing);
    EXPECT_TRUE(platform::FileExists(box.Path("d/Korea003.zip")));  // nothing after the gap

    // Deletion stops at the first volume that is missing.
    std::filesystem::remove(box.Path("d/Korea.001"));
    DeleteVolumeSet(box.Path("d"), "Korea.zip", 3);
    EXPECT_FALSE(platform::FileExists(box.Path("d/Korea.000")));
    EXPECT_TRUE(platform::FileExists(box.Path("d/Korea.zip")));

    EXPECT_EQ(VolumeNames("Korea.zip", 1), std::vector<std::string>{"Korea.zip"});
    EXPECT_EQ(VolumeNames("a.b.zip", 2), (std::vector<std::string>{"a.b.000", "a.b.zip"}));
}

TEST_F(DownloadJobTest, PackageWithNothingToFetchStillCompletesAndReports) {
    Serve();
    device_.install_type = kInstallTypeNoSmallVariant;  // keeps statuses outside 1-5 as they are
    FileEntry copying;
    copying.file_name = "a.bin";
    copying.status = FileStatus::kCopying;
    FileEntry on_card;
    on_card.file_name = "b.bin";
    on_card.version = on_card.card_version = 3;
    on_card.status = FileStatus::kToFetch;
    FileEntry downloaded;
    downloaded.file_name = "c.bin";
    downloaded.file_size = 5;
    downloaded.version = downloaded.downloaded_version = 4;
    downloaded.status = FileStatus::kToFetch;
    box_.Write("pc/TestPack/c.bin", "ccccc");
    device_.files = {copying, on_card, downloaded};

    Run();

    EXPECT_EQ(device_.files[0].status, FileStatus::kCopying);
    EXPECT_EQ(device_.files[1].status, FileStatus::kOnCard);
    EXPECT_EQ(device_.files[2].status, FileStatus::kDownloaded);
    EXPECT_EQ(Posted(), (std::vector<Message>{{WM_DOWNLOAD_COMPLETE, 0, 0}}));
    EXPECT_EQ(VersionMark(), 1);
    EXPECT_TRUE(launcher_.starts().empty());
    EXPECT_EQ(sleeper_.CountOf(kAfterReportWait), 1u);
    EXPECT_TRUE(file_done_.IsSet());
    // No span was asked for; only the completion report went out.
    EXPECT_EQ(RequestedPaths(1), std::vector<std::string>{"/WMK/WMKChkDown.mms"});
    auto log = ReadRequestLog(box_.Path("requests.log"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].Parameter("D1"), "DEV-1");
    EXPECT_EQ(log[0].Parameter("D4"), "TestPack");
}

TEST_F(DownloadJobTest, FetchesSpansByTheirExactNamesAndUnpacksTheVolumeSet) {
    Serve();
    const std::string map = Content(300000, 1);
    const std::string road = Content(50000, 2);
    FileEntry& skipped = AddFile("old.bin", "old.zip", 1, {{"old.bin", Content(1000, 3)}});
    skipped.card_version = skipped.version;  // already on the card: never fetched
    AddFile("Single.bin", "Single.zip", 1, {{"Single.bin", road}}, "maps");
    AddFile("Korea.gpi", "Korea.zip", 3, {{"Korea.gpi", map}, {"extra/readme.txt", "hello"}});

    Run();

    EXPECT_EQ(RequestedPaths(5),
              (std::vector<std::string>{"/pkg/Single.zip", "/pkg/Korea001.zip", "/pkg/Korea002.zip",
                                        "/pkg/Korea003.zip", "/WMK/WMKChkDown.mms"}));
    const auto starts = launcher_.starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].request.program, program_dir_ + "/ZipModule");
    EXPECT_EQ(starts[0].request.arguments,
              (std::vector<std::string>{"\"" + InFolder("maps/Single.zip") + "\"",
                                        "\"" + InFolder("maps/") + "\""}));
    EXPECT_EQ(
        starts[1].request.arguments,
        (std::vector<std::string>{"\"" + InFolder("Korea.zip") + "\"", "\"" + folder() + "/\""}));
    // The unpacker saw the volume set, not the spans.
    EXPECT_EQ(starts[1].folder_listing,
              (std::vector<std::string>{"Korea.000", "Korea.001", "Korea.zip", "TestPack.ver"}));

    EXPECT_EQ(Sandbox::Read(InFolder("Korea.gpi")), map);
    EXPECT_EQ(Sandbox::Read(InFolder("maps/Single.bin")), road);
    EXPECT_EQ(FilesIn(folder()), (std::vector<std::string>{"Korea.gpi", "TestPack.ver",
                                                           "extra/readme.txt", "maps/Single.bin"}));
    for (const FileEntry& entry : device_.files) {
        EXPECT_EQ(entry.status,
                  entry.file_name == "old.bin" ? FileStatus::kOnCard : FileStatus::kDownloaded);
    }
    EXPECT_EQ(device_.files[2].downloaded_version, 7);
    EXPECT_EQ(device_.completed_file_count, 2);
    EXPECT_EQ(VersionMark(), 1);
    EXPECT_EQ(job_->current_file_name(), "Korea.gpi");

    // Progress: per file up to its archive size, for the package up to the whole download.
    const std::uint64_t total = static_cast<std::uint64_t>(device_.download_size);
    EXPECT_EQ(total, static_cast<std::uint64_t>(device_.files[0].archive_size +
                                                device_.files[1].archive_size +
                                                device_.files[2].archive_size));
    const auto package = Posted(kMsgDownloadProgress);
    ASSERT_FALSE(package.empty());
    EXPECT_GE(package.front().w_param,
              static_cast<std::uint64_t>(device_.files[0].archive_size) / 1024);
    EXPECT_TRUE(std::is_sorted(package.begin(), package.end(),
                               [](auto& a, auto& b) { return a.w_param < b.w_param; }));
    EXPECT_EQ(package.back().w_param, total / 1024);
    EXPECT_EQ(package.back().l_param, static_cast<platform::LParam>(total / 1024));
    const auto file = Posted(kMsgDownloadFileProgress);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.back().w_param, static_cast<std::uint64_t>(device_.files[2].archive_size));
    EXPECT_EQ(file.back().l_param, device_.files[2].archive_size);
    EXPECT_EQ(Posted(kMsgDownloadFileChanged).size(), 2u);
    EXPECT_EQ(Posted().back(), (Message{WM_DOWNLOAD_COMPLETE, 0, 0}));
}

TEST_F(DownloadJobTest, SpanFailingFiveTimesStopsTheRunWithCode6) {
    Serve({"--status", "500:/pkg/Korea002.zip"});
    AddFile("Korea.gpi", "Korea.zip", 3, {{"Korea.gpi", Content(90000, 4)}});
    AddFile("Later.bin", "Later.zip", 1, {{"Later.bin", "later"}});

    Run();

    EXPECT_EQ(
        RequestedPaths(6),
        (std::vector<std::string>{"/pkg/Korea001.zip", "/pkg/Korea002.zip", "/pkg/Korea002.zip",
                                  "/pkg/Korea002.zip", "/pkg/Korea002.zip", "/pkg/Korea002.zip"}));
    EXPECT_EQ(sleeper_.CountOf(kSpanRetryWait), 4u);
    EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 6}}));
    EXPECT_TRUE(Posted(WM_DOWNLOAD_COMPLETE).empty());
    EXPECT_EQ(device_.files[0].status, FileStatus::kToFetch);
    EXPECT_EQ(device_.files[0].percent, 0);
    EXPECT_EQ(device_.files[1].status, FileStatus::kToFetch);  // never reached
    EXPECT_EQ(VersionMark(), 0);
    EXPECT_TRUE(launcher_.starts().empty());
}

TEST_F(DownloadJobTest, SpanStallingMidBodyFailsEachAttemptAndShowsTheRetrying) {
    Serve();
    AddFile("Korea.gpi", "Korea.zip", 1, {{"Korea.gpi", Content(200000, 11)}});
    FileEntry& entry = device_.files[0];
    // The span's server sends part of it and then nothing more, on every connection.
    mapvale::testing::StallingServer stalling;
    ASSERT_TRUE(stalling.ok());
    const std::string span = Sandbox::Read(box_.Path("content/pkg/Korea.zip"));
    stalling.StallWith(span.size(), span.substr(0, 50000));
    entry.information_path = stalling.Url("/pkg");
    // Whether the file shows downloading again while each attempt's bytes are there...
    // (Each connection has a thread of its own on the server.)
    std::mutex seen_mutex;
    std::vector<bool> downloading_again;
    stalling.on_stall = [&](std::size_t) {
        const bool seen =
            WaitUntil([&] { return entry.status.load() == FileStatus::kDownloading; });
        std::lock_guard lock(seen_mutex);
        downloading_again.push_back(seen);
    };
    // ...and what it shows while a failed attempt waits for the next.
    std::vector<FileStatus> while_waiting;
    sleeper_.on_wait = [&](std::chrono::milliseconds duration, std::size_t) {
        if (duration == kSpanRetryWait) {
            while_waiting.push_back(entry.status.load());
        }
    };
    MakeJob();
    job_->SetTransferStallLimit(200ms);
    ASSERT_EQ(job_->Start(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !job_->running(); }, kRunTimeout));
    job_->Cancel();
    stalling.Stop();

    // One connection per attempt: a stall is not reconnected within the attempt.
    EXPECT_EQ(stalling.paths(), std::vector<std::string>(kSpanAttempts, "/pkg/Korea.zip"));
    EXPECT_EQ(while_waiting, std::vector<FileStatus>(kSpanAttempts - 1, FileStatus::kReconnecting));
    {
        std::lock_guard lock(seen_mutex);
        EXPECT_EQ(downloading_again, std::vector<bool>(kSpanAttempts, true));
    }
    EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 6}}));
    EXPECT_EQ(entry.status, FileStatus::kToFetch);
    EXPECT_EQ(entry.percent, 0);
    EXPECT_TRUE(launcher_.starts().empty());
}

TEST_F(DownloadJobTest, CancelDuringTheFifthAttemptPostsNoError) {
    Serve({"--throttle", "200000"});
    AddFile("Korea.gpi", "Korea.zip", 2, {{"Korea.gpi", Content(60000, 5)}});
    // Span 2 is missing for four attempts; the fifth finds a slow one, and is cancelled.
    std::filesystem::remove(box_.Path("content/pkg/Korea002.zip"));
    sleeper_.on_wait = [&](std::chrono::milliseconds duration, std::size_t count) {
        if (duration == kSpanRetryWait && count == 4) {
            box_.Write("content/pkg/Korea002.zip", std::string(4 << 20, 'x'));
        }
    };
    MakeJob();
    ASSERT_EQ(job_->Start(), 1);
    const std::uint64_t span1 = std::filesystem::file_size(box_.Path("content/pkg/Korea001.zip"));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto file = Posted(kMsgDownloadFileProgress);
            return !file.empty() && file.back().w_param > span1;
        },
        kRunTimeout));
    job_->Cancel();

    EXPECT_FALSE(job_->running());
    EXPECT_TRUE(Posted(kMsgJobError).empty());
    EXPECT_EQ(device_.files[0].status, FileStatus::kToFetch);
    EXPECT_EQ(device_.files[0].percent, 0);
    const auto paths = RequestedPaths(6);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/pkg/Korea002.zip"), 5);
    EXPECT_EQ(VersionMark(), 0);
}

TEST_F(DownloadJobTest, ConnectionResetMidSpanRecoversWithoutProgressRunningBack) {
    // Once resumed with a range, once answered by a server that ignores ranges and sends the
    // span from its start again.
    for (const bool ignore_range : {false, true}) {
        SCOPED_TRACE(ignore_range ? "range ignored" : "range honoured");
        std::vector<std::string> options{"--reset-after", "30000", "--reset-path",
                                         "/pkg/Korea002.zip"};
        if (ignore_range) {
            options.push_back("--ignore-range");
        }
        device_.files.clear();
        std::filesystem::remove_all(folder());
        std::filesystem::remove_all(box_.Path("content"));
        posted_.clear();
        Serve(options);
        const std::string map = Content(400000, 6);
        AddFile("Korea.gpi", "Korea.zip", 3, {{"Korea.gpi", map}});

        Run();

        EXPECT_EQ(Sandbox::Read(InFolder("Korea.gpi")), map);
        EXPECT_EQ(device_.files[0].status, FileStatus::kDownloaded);
        EXPECT_EQ(sleeper_.CountOf(kSpanRetryWait), 0u);  // recovered inside the attempt
        for (const std::uint32_t id : {kMsgDownloadFileProgress, kMsgDownloadProgress}) {
            const auto progress = Posted(id);
            ASSERT_FALSE(progress.empty());
            EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end(),
                                       [](auto& a, auto& b) { return a.w_param < b.w_param; }));
        }
        EXPECT_EQ(Posted(kMsgDownloadFileProgress).back().w_param,
                  static_cast<std::uint64_t>(device_.files[0].archive_size));
        server_->Stop();
    }
}

TEST_F(DownloadJobTest, CancelWhileTheUnpackerRunsReturnsAndLeavesItRunning) {
    Serve();
    AddFile("Korea.gpi", "Korea.zip", 2, {{"Korea.gpi", Content(20000, 7)}});
    testing::WriteUnpackerScript(box_, "slow", "exec sleep 300");
    sleeper_.SetManual();  // no poll ends unless the test moves the clock
    const std::int64_t start_ms = clock_.NowMs();
    MakeJob(box_.Path("slow"));
    ASSERT_EQ(job_->Start(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !launcher_.starts().empty(); }, kRunTimeout));

    job_->Cancel();

    EXPECT_FALSE(job_->running());
    EXPECT_EQ(clock_.NowMs(), start_ms);  // the poll was cut short, not waited out
    EXPECT_EQ(device_.files[0].status, FileStatus::kToFetch);
    EXPECT_TRUE(Posted(kMsgJobError).empty());
    const int pid = launcher_.starts()[0].pid;
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), 0);  // still running
    ::kill(pid, SIGKILL);
}

class TransientUnpackerTest : public DownloadJobTest {
protected:
    // An unpacker that always asks to be started again, after extracting for real or not.
    void RunWithTransientUnpacker(bool extract) {
        Serve();
        map_ = Content(30000, 8);
        AddFile("Korea.gpi", "Korea.zip", 2, {{"Korea.gpi", map_}});
        testing::WriteUnpackerScript(
            box_, "transient",
            std::string(extract ? "\"$MAPVALE_PROGRAM_DIR/ZipModule\" \"$1\" \"$2\" || exit 9\n"
                                : "") +
                "exit 253");
        Run(box_.Path("transient"));
    }
    std::string map_;
};

TEST_F(TransientUnpackerTest, ThreeTransientExitsCountAsSuccessWhenTheFileIsThere) {
    RunWithTransientUnpacker(true);
    EXPECT_EQ(launcher_.starts().size(), 3u);
    EXPECT_EQ(sleeper_.CountOf(kUnpackerRetryWait), 2u);
    EXPECT_EQ(device_.files[0].status, FileStatus::kDownloaded);
    EXPECT_EQ(Sandbox::Read(InFolder("Korea.gpi")), map_);
    EXPECT_EQ(Posted(WM_DOWNLOAD_COMPLETE).size(), 1u);
}

TEST_F(TransientUnpackerTest, ThreeTransientExitsWithoutTheFileFailTheSizeCheck) {
    RunWithTransientUnpacker(false);
    EXPECT_EQ(launcher_.starts().size(), 9u);  // three starts in each of three passes
    EXPECT_EQ(RequestedPaths(6).size(), 6u);   // both spans fetched in every pass
    EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 1}}));
    EXPECT_EQ(device_.files[0].status, FileStatus::kNotInJob);
    EXPECT_EQ(FilesIn(folder()), std::vector<std::string>{"TestPack.ver"});
}

TEST_F(DownloadJobTest, UnpackerThatCannotBeStartedFailsTheFileAtOnceWithCode3) {
    Serve();
    AddFile("Korea.gpi", "Korea.zip", 2, {{"Korea.gpi", Content(30000, 12)}});
    std::filesystem::create_directories(box_.Path("no-unpacker"));
    box_.Write("not-runnable/ZipModule", "#!/bin/sh\nexit 0\n");  // lacks the execute bit
    for (const std::string program_folder : {"no-unpacker", "not-runnable"}) {
        SCOPED_TRACE(program_folder);
        posted_.clear();
        const std::size_t starts_before = launcher_.starts().size();
        const std::size_t size_polls_before = sleeper_.CountOf(kSizeCheckInterval);

        Run(box_.Path(program_folder));

        EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 3}}));
        EXPECT_EQ(device_.files[0].status, FileStatus::kNotInJob);
        EXPECT_EQ(launcher_.starts().size(), starts_before + 1);  // tried once, in the first pass
        EXPECT_EQ(sleeper_.CountOf(kSizeCheckInterval), size_polls_before);  // nothing waited for
        EXPECT_EQ(FilesIn(folder()), std::vector<std::string>{"TestPack.ver"});
        device_.files[0].status = FileStatus::kToFetch;
    }
}

// A self-extracting program: a stub in front of a zip archive.
std::string SelfExtracting(const Sandbox& box, const std::vector<testing::Member>& members) {
    return "MZ" + std::string(510, '\x90') + ZipBytes(box.Path("sfx.zip"), members);
}

// The install copies "ovm.exe" itself to the card, so the program stays on the PC.
TEST_F(DownloadJobTest, OvmProgramIsUnpackedBesideItselfWithoutSizeCheckAndKept) {
    Serve();
    const std::string program = SelfExtracting(box_, {{"ovm/readme.txt", "read me"}});
    FileEntry& ovm = AddFile("ovm.exe", "ovm.zip", 1, {{"ovm.exe", program}});
    ovm.file_size = 1;  // a size check would fail every pass

    Run();

    EXPECT_EQ(device_.files[0].status, FileStatus::kDownloaded);
    const auto starts = launcher_.starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(
        starts[1].request.arguments,
        (std::vector<std::string>{"\"" + InFolder("ovm.exe") + "\"", "\"" + folder() + "\""}));
    EXPECT_EQ(FilesIn(folder()),
              (std::vector<std::string>{"TestPack.ver", "ovm.exe", "ovm/readme.txt"}));
}

TEST_F(DownloadJobTest, FolderPartIsUnpackedIntoItsFolderAndTheProgramDeleted) {
    Serve();
    const std::string program = SelfExtracting(box_, {{"index.html", "<html/>"}});
    AddFile("HTML.exe", "HTML.zip", 2, {{"HTML.exe", program}});

    Run();

    EXPECT_EQ(device_.files[0].status, FileStatus::kDownloaded);
    const auto starts = launcher_.starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].request.arguments,
              (std::vector<std::string>{"\"" + InFolder("HTML.exe") + "\"",
                                        "\"" + InFolder("HTML") + "\""}));
    EXPECT_EQ(FilesIn(folder()), (std::vector<std::string>{"HTML/index.html", "TestPack.ver"}));
}

// Parts in a destination folder are unpacked there, in one span or several: the install looks
// for their folder beside them.
TEST_F(DownloadJobTest, FolderPartsInADestinationFolderAreUnpackedBesideThemselves) {
    Serve();
    AddFile("IMAGE.exe", "IMAGE.zip", 1,
            {{"IMAGE.exe", SelfExtracting(box_, {{"a.img", "image"}})}}, "Data/Pics");
    AddFile("SPOT.exe", "SPOT.zip", 3,
            {{"SPOT.exe", SelfExtracting(box_, {{"spot.dat", Content(30000, 4)}})}}, "Data");

    Run();

    EXPECT_TRUE(Posted(kMsgJobError).empty());
    EXPECT_EQ(device_.files[0].status, FileStatus::kDownloaded);
    EXPECT_EQ(device_.files[1].status, FileStatus::kDownloaded);
    EXPECT_EQ(FilesIn(folder()), (std::vector<std::string>{"Data/Pics/IMAGE/a.img",
                                                           "Data/SPOT/spot.dat", "TestPack.ver"}));
}

// A part whose own archive cannot be unpacked would reach the card as nothing at all.
TEST_F(DownloadJobTest, FolderPartWhoseSecondUnpackingFailsFailsTheFile) {
    Serve();
    AddFile("HTML.exe", "HTML.zip", 1, {{"HTML.exe", "MZ not an archive at all"}});

    Run();

    EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 3}}));
    EXPECT_EQ(device_.files[0].status, FileStatus::kNotInJob);
    EXPECT_TRUE(Posted(WM_DOWNLOAD_COMPLETE).empty());
    EXPECT_EQ(FilesIn(folder()), std::vector<std::string>{"TestPack.ver"});
}

TEST_F(DownloadJobTest, DamagedArchiveFailsWithCode3AndLeavesNoVolumes) {
    Serve();
    FileEntry& entry = AddFile("Korea.gpi", "Korea.zip", 2, {{"Korea.gpi", Content(80000, 9)}});
    // Damage the compressed data in the middle of the first span.
    const std::string span = box_.Path("content/pkg/Korea001.zip");
    std::string bytes = Sandbox::Read(span);
    for (std::size_t i = 1000; i < 1100; ++i) {
        bytes[i] = static_cast<char>(~bytes[i]);
    }
    box_.Write("content/pkg/Korea001.zip", bytes);
    (void)entry;

    Run();

    EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 3}}));
    EXPECT_EQ(device_.files[0].status, FileStatus::kNotInJob);
    EXPECT_EQ(FilesIn(folder()), std::vector<std::string>{"TestPack.ver"});
    EXPECT_EQ(VersionMark(), 0);
}

TEST_F(DownloadJobTest, EntriesThatCannotBeFetchedSafelyFailWithCode5) {
    Serve();
    box_.Write("content/pkg/x.zip", "not fetched");
    struct Case {
        const char* what;
        std::string destination, archive_name, file_name;
        int spans;
    };
    const std::vector<Case> cases = {
        {"folder climbs out", "../../escape", "x.zip", "x.bin", 1},
        {"archive name climbs out", "", "../x.zip", "x.bin", 1},
        {"archive name is a path", "", "sub/x.zip", "x.bin", 1},
        {"file name climbs out", "", "x.zip", "../../x.bin", 1},
        {"absolute folder", "/tmp", "x.zip", "x.bin", 1},
        {"no spans", "", "x.zip", "x.bin", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        posted_.clear();
        FileEntry entry;
        entry.information_path = server_->Url("/pkg");
        entry.destination_path = c.destination;
        entry.archive_name = c.archive_name;
        entry.file_name = c.file_name;
        entry.part_count = c.spans;
        entry.archive_size = 11;
        entry.attributes = {0, 0, 1, 0, 0, 0};
        device_.files = {entry};
        Run();
        EXPECT_EQ(Posted(kMsgJobError), (std::vector<Message>{{kMsgJobError, 301, 5}}));
        EXPECT_EQ(device_.files[0].status, FileStatus::kNotInJob);
    }
    EXPECT_TRUE(ReadRequestLog(box_.Path("requests.log")).empty());
    EXPECT_EQ(FilesIn(box_.Path("pc")), std::vector<std::string>{"TestPack/TestPack.ver"});
}

TEST_F(DownloadJobTest, FreeSpaceEqualToTheRequirementIsTooLittle) {
    device_.download_size = 100 << 20;
    EXPECT_EQ(RequiredDownloadKb(device_), 102400u + 1024000u);
    device_.install_type = kInstallTypeCameraData;
    EXPECT_EQ(RequiredDownloadKb(device_), 512000u);

    volumes_.free_bytes = std::uint64_t{512000} * 1024;
    MakeJob();
    EXPECT_EQ(job_->Start(), 0);
    EXPECT_EQ(Posted(), (std::vector<Message>{{kMsgJobError, 102, 0}}));
    EXPECT_FALSE(platform::FolderExists(folder()));

    volumes_.free_bytes = std::uint64_t{512000} * 1024 + 1024;
    device_.registered = 0;  // passes the space check, then stops without a message
    EXPECT_EQ(job_->Start(), 0);
    EXPECT_EQ(Posted().size(), 1u);

    device_.registered = 1;
    ASSERT_EQ(job_->Start(), 1);
    job_->Cancel();
    EXPECT_FALSE(job_->running());
}

}  // namespace
}  // namespace mapvale::catalog
