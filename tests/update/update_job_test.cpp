#include "update/update_job.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "model/messages.h"
#include "platform/fake_clock.h"
#include "platform/files.h"
#include "platform/message_queue.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "support/stalling_server.h"
#include "update/check_decision.h"
#include "update/tray_self_update.h"
#include "update/update_texts.h"
#include "update_fixtures.h"

namespace mapvale::update {
namespace {

using platform::Message;
using testing::LoggedRequest;
using testing::Sandbox;
using testing::ServerProcess;
using testing::WaitUntil;
using namespace std::chrono_literals;

std::string Script(int status) {
    return "#!/bin/sh\nexit " + std::to_string(status) + "\n";
}

int RunProgram(const std::string& path) {
    platform::PosixProcessLauncher launcher;
    platform::LaunchRequest request;
    request.program = path;
    auto process = launcher.Start(request);
    if (!process || !process->Wait(30s)) {
        return -1;
    }
    return process->ExitCode().value_or(-1);
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class UpdateJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = box_.Path("program/");
        ASSERT_TRUE(platform::CreateFolderChain(program_));
    }

    std::string Area(UpdateRole role) const {
        return "content" +
               std::string(role == UpdateRole::kTrayAgent ? kTrayPatchArea : kUpdaterPatchArea);
    }
    void ServerList(std::string_view text, UpdateRole role = UpdateRole::kUpdater) {
        box_.Write(Area(role) + "UpdateInfo.txt", text);
    }
    // A patch as the server must offer it: once for the size probe, once under Patch/.
    void Offer(const std::string& download_name, const std::string& bytes,
               UpdateRole role = UpdateRole::kUpdater) {
        box_.Write(Area(role) + download_name, bytes);
        box_.Write(Area(role) + "Patch/" + download_name, bytes);
    }
    void LocalList(std::string_view text) { box_.Write("program/Info/UpdateInfo.txt", text); }
    std::string RecordedList() const { return Sandbox::Read(program_ + "Info/UpdateInfo.txt"); }
    std::string WriteProgram(const std::string& name, int status) {
        const std::string path = box_.Write("program/" + name, Script(status));
        ::chmod(path.c_str(), 0755);
        return path;
    }
    void InstallUnpacker() {
        const char* build_programs = std::getenv("MAPVALE_PROGRAM_DIR");
        ASSERT_NE(build_programs, nullptr);
        std::filesystem::copy_file(std::string(build_programs) + "/ZipModule",
                                   program_ + "ZipModule");
    }

    void Serve(std::vector<std::string> options = {}) {
        std::vector<std::string> args{"serve", "--content", box_.Path("content"), "--request-log",
                                      box_.Path("requests.log")};
        args.insert(args.end(), options.begin(), options.end());
        server_ = std::make_unique<ServerProcess>(args);
        ASSERT_TRUE(server_->ok()) << server_->error();
    }
    UpdateSetup Setup(UpdateRole role = UpdateRole::kUpdater) {
        UpdateSetup setup;
        setup.role = role;
        setup.program_folder = program_;
        setup.host = server_ ? server_->address() : "127.0.0.1:1";
        setup.window = role == UpdateRole::kUpdater ? &messages_ : nullptr;
        setup.launcher = &launcher_;
        setup.instances = &instances_;
        setup.sleeper = &sleeper_;
        return setup;
    }
    // The request paths, in the order the server took them.
    std::vector<std::string> RequestPaths(std::size_t at_least) {
        const std::string log = box_.Path("requests.log");
        EXPECT_TRUE(WaitUntil([&] { return testing::ReadRequestLog(log).size() >= at_least; }));
        auto requests = testing::ReadRequestLog(log);
        std::sort(requests.begin(), requests.end(),
                  [](const auto& a, const auto& b) { return a.number < b.number; });
        std::vector<std::string> paths;
        for (const LoggedRequest& request : requests) {
            paths.push_back(request.method + " " + request.path);
        }
        return paths;
    }
    // Waits for the worker's first progress message, which comes once bytes of a file are on
    // disk.
    bool WaitForFirstBytes() {
        while (const auto message = messages_.WaitTake(30s)) {
            if (message->message == kMsgDownloadFileProgress) {
                return true;
            }
        }
        return false;
    }

    Sandbox box_;
    std::string program_;
    std::unique_ptr<ServerProcess> server_;
    platform::MessageQueue messages_;
    test::RecordingLauncher launcher_;
    test::FakeInstances instances_{{"MapvaleTray"}};
    platform::FakeClock clock_;
    platform::FakeSleeper sleeper_{clock_};
};

TEST_F(UpdateJobTest, TheSameNameInAnotherFolderIsCurrent) {
    LocalList("3|0|Info/a.txt\r\n1|0|bin/helper\r\n");
    ServerList("DlgView=True\r\n3|0|Data/a.txt\r\n1|0|bin/helper\r\n9|0|../escape.txt\r\n");
    // Old programs left by the last update go at every check, also when nothing is to be done.
    for (const std::string name : {"_Mapvale", "_MapvaleTray", "_ZipModule", "bin/_helper"}) {
        WriteProgram(name, 0);
    }
    WriteProgram("bin/helper", 0);
    Serve();
    UpdateJob job(Setup());

    EXPECT_EQ(job.Check(), UpdateJob::kCheckNothingToDo);
    EXPECT_TRUE(job.show_dialog());
    EXPECT_EQ(job.server_list().size(), 2u);  // the escaping path is no entry
    for (const std::string name : {"_Mapvale", "_MapvaleTray", "_ZipModule", "bin/_helper"}) {
        EXPECT_FALSE(platform::FileExists(program_ + name)) << name;
    }
    EXPECT_TRUE(platform::FileExists(program_ + "bin/helper"));
    const std::vector<std::string> expected{"GET /avn/Waymark/SoftwareUpdate/UpdateInfo.txt",
                                            "GET /avn/Waymark/SoftwareUpdate/UpdateInfo.txt"};
    EXPECT_EQ(RequestPaths(2), expected);
}

TEST_F(UpdateJobTest, AMissingLocalListUpdatesEverythingAndReplacesTheRunningProgram) {
    ServerList("2|0|Info/readme.txt\r\n2|0|Mapvale\r\n");
    const std::string readme(300 * 1024, 'r');
    Offer("readme.txt", readme);
    Offer("Mapvale", Script(9));
    box_.Write("program/Info/readme.txt", "old");
    // The old updater runs while it is replaced: writing its file would fail (ETXTBSY).
    std::filesystem::copy_file("/bin/sleep", program_ + "Mapvale");
    platform::PosixProcessLauncher real_launcher;
    platform::LaunchRequest sleeper_request;
    sleeper_request.program = program_ + "Mapvale";
    sleeper_request.arguments = {"600"};
    auto running = real_launcher.Start(sleeper_request);
    ASSERT_TRUE(running);
    const ino_t old_inode = InodeOf(program_ + "Mapvale");
    Serve();
    UpdateJob job(Setup());

    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    EXPECT_FALSE(job.show_dialog());  // no DlgView line: the update runs hidden
    ASSERT_TRUE(job.Start());
    EXPECT_EQ(job.Wait(), UpdateJob::kRunUpdated);

    EXPECT_EQ(Sandbox::Read(program_ + "Info/readme.txt"), readme);
    EXPECT_EQ(RunProgram(program_ + "Mapvale"), 9);
    EXPECT_EQ(InodeOf(program_ + "_Mapvale"), old_inode);
    EXPECT_TRUE(running->IsActive());
    EXPECT_FALSE(platform::FolderExists(program_ + "tmp"));
    EXPECT_EQ(RecordedList(), "2|0|Info/readme.txt\r\n2|0|Mapvale\r\n");
    const std::vector<std::string> expected{"GET /avn/Waymark/SoftwareUpdate/UpdateInfo.txt",
                                            "GET /avn/Waymark/SoftwareUpdate/UpdateInfo.txt",
                                            "GET /avn/Waymark/SoftwareUpdate/readme.txt",
                                            "GET /avn/Waymark/SoftwareUpdate/Mapvale",
                                            "GET /avn/Waymark/SoftwareUpdate/Patch/readme.txt",
                                            "GET /avn/Waymark/SoftwareUpdate/Patch/Mapvale"};
    EXPECT_EQ(RequestPaths(6), expected);

    // Progress, then done, then the dialog's end; the last progress is all the kilobytes.
    const auto messages = messages_.Drain();
    const std::vector<std::uint32_t> order{kMsgDownloadFileProgress, kMsgDownloadProgress,
                                           WM_DOWNLOAD_COMPLETE, kWmCommand};
    std::vector<std::uint32_t> distinct;  // in the order of their first appearance
    for (const Message& message : messages) {
        if (std::find(distinct.begin(), distinct.end(), message.message) == distinct.end()) {
            distinct.push_back(message.message);
        }
    }
    EXPECT_EQ(distinct, order);
    EXPECT_EQ(messages.back(), (Message{kWmCommand, IDOK, UpdateJob::kRunUpdated}));
    const auto last_progress = std::find_if(messages.rbegin(), messages.rend(), [](auto& m) {
        return m.message == kMsgDownloadProgress;
    });
    const auto total_kb = static_cast<platform::LParam>((readme.size() + Script(9).size()) / 1024);
    EXPECT_EQ(last_progress->l_param, total_kb);
    EXPECT_EQ(static_cast<platform::LParam>(last_progress->w_param), total_kb);

    // The tray agent is closed, given its second, and started again.
    EXPECT_EQ(instances_.closed(), std::vector<std::string>{"MapvaleTray"});
    EXPECT_EQ(sleeper_.Sleeps(), std::vector<std::chrono::milliseconds>{kTrayCloseWait});
    const auto tray_starts = launcher_.StartsOf("/MapvaleTray");
    ASSERT_EQ(tray_starts.size(), 1u);
    EXPECT_EQ(tray_starts[0].program, program_ + "MapvaleTray");
    EXPECT_EQ(tray_starts[0].arguments, std::vector<std::string>{"-UPDATE"});

    // The next start finds everything current and removes the old program.
    UpdateJob next(Setup());
    EXPECT_EQ(next.Check(), UpdateJob::kCheckNothingToDo);
    EXPECT_FALSE(platform::FileExists(program_ + "_Mapvale"));
    ::kill(running->Pid(), SIGTERM);
    EXPECT_TRUE(running->Wait(30s));
}

TEST_F(UpdateJobTest, ArchivesAreFetchedAsZipAndUnpackedIntoTheProgramFolder) {
    InstallUnpacker();
    LocalList("2|1|Info/Broken.dat\r\n");
    ServerList("5|1|Mapvale\r\n3|1|Info/Broken.dat\r\n");
    test::StoredZip zip;
    zip.Add("Mapvale", Script(9), 0755);
    zip.Add("Info/extra.txt", "extra");
    Offer("Mapvale.zip", zip.Bytes());
    Offer("Broken.zip", "this is no zip archive");
    WriteProgram("Mapvale", 7);
    Serve();
    UpdateJob job(Setup());

    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    EXPECT_EQ(job.Run(), UpdateJob::kRunUpdated);

    EXPECT_EQ(RunProgram(program_ + "Mapvale"), 9);
    EXPECT_EQ(Sandbox::Read(program_ + "Info/extra.txt"), "extra");
    EXPECT_FALSE(platform::FolderExists(program_ + "tmp"));
    // The archive that did not unpack keeps its old line and is fetched again next time.
    EXPECT_EQ(RecordedList(), "5|1|Mapvale\r\n2|1|Info/Broken.dat\r\n");
    EXPECT_EQ(job.outcomes(),
              (std::vector<EntryOutcome>{EntryOutcome::kInstalled, EntryOutcome::kFailed}));

    const auto unpacks = launcher_.StartsOf("/ZipModule");
    ASSERT_EQ(unpacks.size(), 2u);
    EXPECT_EQ(unpacks[0].program, program_ + "ZipModule");
    EXPECT_EQ(unpacks[0].arguments,
              std::vector<std::string>{"\"" + program_ + "tmp/Mapvale.zip\""});
    EXPECT_EQ(unpacks[0].working_folder, "");
    EXPECT_FALSE(unpacks[0].shown);
    using Variable = std::pair<std::string, std::string>;
    EXPECT_EQ(unpacks[0].environment,
              std::vector<Variable>{Variable("MAPVALE_PROGRAM_DIR", program_)});

    const auto paths = RequestPaths(6);
    EXPECT_NE(std::find(paths.begin(), paths.end(), "GET /avn/Waymark/SoftwareUpdate/Mapvale.zip"),
              paths.end());
    EXPECT_NE(
        std::find(paths.begin(), paths.end(), "GET /avn/Waymark/SoftwareUpdate/Patch/Mapvale.zip"),
        paths.end());
}

TEST_F(UpdateJobTest, AFailedDownloadLeavesTheOldFileAndItsOldLine) {
    LocalList("1|0|a.txt\r\n1|0|b.txt\r\n1|0|c.txt\r\n");
    ServerList("2|0|a.txt\r\n2|0|b.txt\r\n2|0|c.txt\r\n");
    Offer("a.txt", "new a");
    box_.Write(Area(UpdateRole::kUpdater) + "b.txt", "new b");    // probed, but not in Patch/
    for (const std::string name : {"a.txt", "b.txt", "c.txt"}) {  // c.txt: not offered at all
        box_.Write("program/" + name, "old");
    }
    // What an interrupted run left in the staging folder is never installed.
    box_.Write("program/tmp/b.txt", "half of b");
    Serve();
    UpdateJob job(Setup());

    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    EXPECT_EQ(job.Run(), UpdateJob::kRunUpdated);
    EXPECT_EQ(Sandbox::Read(program_ + "a.txt"), "new a");
    EXPECT_EQ(Sandbox::Read(program_ + "b.txt"), "old");
    EXPECT_EQ(Sandbox::Read(program_ + "c.txt"), "old");
    EXPECT_EQ(RecordedList(), "2|0|a.txt\r\n1|0|b.txt\r\n1|0|c.txt\r\n");

    // They are tried again at the next start; when nothing can be installed the program does
    // not restart (it would only repeat the same attempt).
    UpdateJob again(Setup());
    ASSERT_EQ(again.Check(), UpdateJob::kCheckUpdatesListed);
    EXPECT_EQ(again.Run(), UpdateJob::kRunUnchanged);
    EXPECT_EQ(RecordedList(), "2|0|a.txt\r\n1|0|b.txt\r\n1|0|c.txt\r\n");
}

TEST_F(UpdateJobTest, ADownloadCutShortIsNeverInstalled) {
    LocalList("1|0|big.bin\r\n");
    ServerList("2|0|big.bin\r\n");
    Offer("big.bin", std::string(4 << 20, 'n'));
    box_.Write("program/big.bin", "old");
    Serve({"--throttle", "200000"});
    UpdateJob job(Setup());
    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    ASSERT_TRUE(job.Start());

    // Part of the file is on disk when the server goes away for good.
    ASSERT_TRUE(WaitForFirstBytes());
    server_->Stop();
    EXPECT_EQ(job.Wait(), UpdateJob::kRunUnchanged);
    EXPECT_TRUE(Sandbox::Read(program_ + "big.bin") == "old");  // not the 4 MiB
    EXPECT_EQ(RecordedList(), "1|0|big.bin\r\n");
    EXPECT_EQ(job.outcomes(), std::vector<EntryOutcome>{EntryOutcome::kFailed});
}

TEST_F(UpdateJobTest, ACancelInstallsNothing) {
    LocalList("1|0|small.txt\r\n");
    ServerList("DlgView=true\r\n2|0|big.bin\r\n2|0|small.txt\r\n");
    Offer("big.bin", std::string(4 << 20, 'b'));
    Offer("small.txt", "new");
    box_.Write("program/small.txt", "old");
    Serve({"--throttle", "200000"});
    UpdateJob job(Setup());
    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    ASSERT_TRUE(job.Start());

    ASSERT_TRUE(WaitForFirstBytes());
    job.Cancel();
    EXPECT_EQ(job.Wait(), UpdateJob::kRunCancelled);

    EXPECT_FALSE(platform::FileExists(program_ + "big.bin"));
    EXPECT_EQ(Sandbox::Read(program_ + "small.txt"), "old");
    EXPECT_EQ(RecordedList(), "1|0|small.txt\r\n");
    EXPECT_FALSE(platform::FolderExists(program_ + "tmp"));
    EXPECT_TRUE(launcher_.requests().empty());
    // The dialog has ended already: nothing but progress follows.
    for (const Message& message : messages_.Drain()) {
        EXPECT_TRUE(message.message == kMsgDownloadFileProgress ||
                    message.message == kMsgDownloadProgress)
            << message.message;
    }
}

TEST_F(UpdateJobTest, ACancelEndsTheSizeProbeOfASilentServer) {
    LocalList("1|0|big.bin\r\n");
    // The list is answered; the probe of the file gets no answer at all.
    testing::StallingServer server;
    ASSERT_TRUE(server.ok());
    server.Answer(std::string(kUpdaterPatchArea) + "UpdateInfo.txt", "2|0|big.bin\r\n");
    UpdateSetup setup = Setup();
    setup.host = server.address();
    UpdateJob job(setup);
    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    ASSERT_TRUE(job.Start());

    ASSERT_TRUE(WaitUntil([&] { return server.held() == 1; }));
    job.Cancel();
    EXPECT_EQ(job.Wait(), UpdateJob::kRunCancelled);
    EXPECT_EQ(RecordedList(), "1|0|big.bin\r\n");
    EXPECT_EQ(server.paths().back(), std::string(kUpdaterPatchArea) + "big.bin");
}

// An unpacker that notes its process id and then never ends.
class HangingUnpackerTest : public UpdateJobTest {
protected:
    void SetUp() override {
        UpdateJobTest::SetUp();
        pid_file_ = box_.Path("unpacker.pid");
        const std::string path = box_.Write(
            "program/ZipModule", "#!/bin/sh\necho $$ > '" + pid_file_ + "'\nexec sleep 300\n");
        ::chmod(path.c_str(), 0755);
        LocalList("1|1|Tool.dll\r\n");
        ServerList("2|1|Tool.dll\r\n");
        Offer("Tool.zip", "an archive the unpacker never gets through");
        Serve();
    }
    void TearDown() override {
        if (pid() > 0) {
            ::kill(pid(), SIGKILL);
        }
    }
    int pid() const { return std::atoi(Sandbox::Read(pid_file_).c_str()); }

    std::string pid_file_;
};

TEST_F(HangingUnpackerTest, ACancelEndsTheWaitAndLeavesItRunning) {
    UpdateJob job(Setup());
    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(WaitUntil([&] { return pid() > 0; }, 30s));

    job.Cancel();
    EXPECT_EQ(job.Wait(), UpdateJob::kRunCancelled);
    EXPECT_EQ(::kill(pid(), 0), 0);  // still running
    EXPECT_EQ(RecordedList(), "1|1|Tool.dll\r\n");
}

TEST_F(HangingUnpackerTest, AnUnpackerThatNeverEndsIsGivenUp) {
    UpdateSetup setup = Setup();
    setup.unpacker_wait_limit = 300ms;
    UpdateJob job(setup);
    ASSERT_EQ(job.Check(), UpdateJob::kCheckUpdatesListed);
    EXPECT_EQ(job.Run(), UpdateJob::kRunUnchanged);
    EXPECT_EQ(job.outcomes(), std::vector<EntryOutcome>{EntryOutcome::kFailed});
    EXPECT_EQ(RecordedList(), "1|1|Tool.dll\r\n");  // tried again next time
    EXPECT_FALSE(platform::FolderExists(program_ + "tmp"));
}

TEST_F(UpdateJobTest, TheDecisionFollowsTheCheckAndTheRightsToWrite) {
    ServerList("DlgView=true\r\n2|0|Data/new.bin\r\n1|0|Info/same.txt\r\n");
    LocalList("1|0|Info/same.txt\r\n");
    Serve({"--status", "404:/avn/Waymark/SoftwareUpdate_X64/*"});

    test::FakeElevation denied(false);
    UpdateJob job(Setup());
    EXPECT_EQ(CheckForUpdates(job, &denied).action, CheckAction::kRestartElevated);
    EXPECT_EQ(denied.asked(),
              (std::vector<std::string>{program_, program_ + "Info/", program_ + "Data/"}));

    test::FakeElevation allowed(true);
    const CheckDecision update = CheckForUpdates(job, &allowed);
    EXPECT_EQ(update.action, CheckAction::kUpdate);
    EXPECT_TRUE(update.show_dialog);

    // The server answers with an error: the program ends with the message for -8.
    UpdateJob tray(Setup(UpdateRole::kTrayAgent));
    const CheckDecision failed = CheckForUpdates(tray, &allowed);
    EXPECT_EQ(failed.action, CheckAction::kEndProgram);
    EXPECT_EQ(failed.check_result, net::CWebPOST::kBadStatus);

    // No server at all: a negative code too.
    server_.reset();
    UpdateJob offline(Setup());
    EXPECT_LT(offline.Check(), 0);
}

TEST_F(UpdateJobTest, TheTrayAgentUpdatesFromItsOwnAreaAndStartsItsSuccessorOnce) {
    ServerList("2|0|MapvaleTray\r\n", UpdateRole::kTrayAgent);
    Offer("MapvaleTray", Script(9), UpdateRole::kTrayAgent);
    ServerList("9|0|Mapvale\r\n");  // the updater's area is not the agent's business
    WriteProgram("MapvaleTray", 7);
    Serve();

    EXPECT_EQ(RunTraySelfUpdate(Setup(UpdateRole::kTrayAgent)), 1);
    EXPECT_EQ(RunProgram(program_ + "MapvaleTray"), 9);
    EXPECT_EQ(RunProgram(program_ + "_MapvaleTray"), 7);
    EXPECT_EQ(RecordedList(), "2|0|MapvaleTray\r\n");
    EXPECT_EQ(instances_.closed(), std::vector<std::string>{"MapvaleTray"});
    EXPECT_EQ(launcher_.StartsOf("/MapvaleTray").size(), 1u);
    for (const std::string& path : RequestPaths(4)) {
        EXPECT_EQ(path.find("/avn/Waymark/SoftwareUpdate_X64/"), 4u) << path;
    }

    // Current now: nothing is done and no successor started; the old copy goes.
    EXPECT_EQ(RunTraySelfUpdate(Setup(UpdateRole::kTrayAgent)), 0);
    EXPECT_EQ(launcher_.StartsOf("/MapvaleTray").size(), 1u);
    EXPECT_FALSE(platform::FileExists(program_ + "_MapvaleTray"));
}

}  // namespace
}  // namespace mapvale::update
