#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/sandbox.h"
#include "support/test_child.h"

namespace mapvale::platform {
namespace {

using namespace std::chrono_literals;
using testing::ChildArguments;
using testing::Sandbox;
using testing::SelfPath;
using testing::WaitUntil;

// Writes its working folder and then its arguments after the first, each ended by a NUL byte,
// to the file named by the first.
MAPVALE_TEST_CHILD(process_report) {
    std::string text = std::filesystem::current_path().string() + '\0';
    for (std::size_t i = 1; i < args.size(); ++i) {
        text += args[i] + '\0';
    }
    std::ofstream(args.at(0), std::ios::binary) << text;
    return 0;
}

MAPVALE_TEST_CHILD(process_exit) {
    return std::stoi(args.at(0));
}

MAPVALE_TEST_CHILD(process_sleep) {
    for (;;) {
        pause();
    }
}

// Exits with 7 once the file named by its argument exists.
MAPVALE_TEST_CHILD(process_exit_on_file) {
    return WaitUntil([&] { return std::filesystem::exists(args.at(0)); }, 120s) ? 7 : 1;
}

// Writes the targets of its open descriptors, one a line, to the file named by its argument.
MAPVALE_TEST_CHILD(process_list_fds) {
    std::string targets;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        targets += std::filesystem::read_symlink(entry.path(), error).string() + '\n';
    }
    std::ofstream(args.at(0)) << targets;
    return 0;
}

LaunchRequest Child(const std::string& name, const std::vector<std::string>& args = {}) {
    return {SelfPath(), ChildArguments(name, args), {}, true};
}

// Kills a child that a failing test left running.
struct KillOnExit {
    Process* process;
    ~KillOnExit() {
        if (process != nullptr && process->IsActive()) {
            kill(process->Pid(), SIGKILL);
            process->Wait(10s);
        }
    }
};

bool Reaped(int pid) {
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
}

char StateOf(int pid) {
    // "pid (name) S ...": the state follows the last ')'.
    const std::string stat = Sandbox::Read("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : '?';
}

TEST(ProcessTest, ArgumentsAndWorkingFolderArriveUnchanged) {
    Sandbox sandbox;
    const std::string folder = sandbox.Path("작업 폴더");
    std::filesystem::create_directory(folder);
    const std::string report = sandbox.Path("report");
    const std::vector<std::string> arguments{
        "two words", "\"quoted\"", "'single' \\ back", "지도 업데이트", "", "*", "$HOME", "-x"};
    std::vector<std::string> child_args{report};
    child_args.insert(child_args.end(), arguments.begin(), arguments.end());

    auto process = PosixProcessLauncher().Start(
        {SelfPath(), ChildArguments("process_report", child_args), folder, false});
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(process->Wait(60s));
    EXPECT_EQ(process->ExitCode(), 0);

    std::string expected = folder + '\0';
    for (const std::string& argument : arguments) {
        expected += argument + '\0';
    }
    EXPECT_EQ(Sandbox::Read(report), expected);
}

TEST(ProcessTest, ReportsExitStatus) {
    for (const int code : {0, 1, 42, 253, 255}) {
        auto process =
            DefaultProcessLauncher().Start(Child("process_exit", {std::to_string(code)}));
        ASSERT_NE(process, nullptr);
        ASSERT_TRUE(process->Wait(60s));
        EXPECT_FALSE(process->IsActive());
        EXPECT_EQ(process->ExitCode(), code);
    }
    // A bare name is looked up in PATH.
    auto shell = DefaultProcessLauncher().Start({"sh", {"-c", "exit 9"}, {}, true});
    ASSERT_NE(shell, nullptr);
    ASSERT_TRUE(shell->Wait(60s));
    EXPECT_EQ(shell->ExitCode(), 9);
}

TEST(ProcessTest, RunningProgramHasNoExitCodeUntilKilled) {
    auto process = DefaultProcessLauncher().Start(Child("process_sleep"));
    ASSERT_NE(process, nullptr);
    KillOnExit guard{process.get()};
    EXPECT_TRUE(process->IsActive());
    EXPECT_EQ(process->ExitCode(), std::nullopt);
    EXPECT_FALSE(process->Wait(20ms));
    EXPECT_FALSE(process->Wait(0ms));
    EXPECT_TRUE(process->IsActive());

    ASSERT_EQ(kill(process->Pid(), SIGTERM), 0);
    ASSERT_TRUE(process->Wait(60s));
    EXPECT_FALSE(process->IsActive());
    EXPECT_EQ(process->ExitCode(), 128 + SIGTERM);
    EXPECT_EQ(process->ExitCode(), 128 + SIGTERM);
    EXPECT_TRUE(process->Wait(0ms));
}

TEST(ProcessTest, WaitWakesWhenTheProgramEnds) {
    Sandbox sandbox;
    const std::string trigger = sandbox.Path("go");
    auto process = DefaultProcessLauncher().Start(Child("process_exit_on_file", {trigger}));
    ASSERT_NE(process, nullptr);
    KillOnExit guard{process.get()};

    std::atomic<bool> returned{false};
    bool ended = false;
    std::thread waiter([&] {
        ended = process->Wait(120s);
        returned = true;
    });
    sandbox.Write("go", "");
    // Far less than the wait's own limit: only a wait that wakes with the process ends here.
    const bool woke = WaitUntil([&] { return returned.load(); }, 60s);
    if (!woke) {
        kill(process->Pid(), SIGKILL);
    }
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_TRUE(ended);
    EXPECT_EQ(process->ExitCode(), 7);
}

TEST(ProcessTest, ProgramsThatCannotStartGiveNothing) {
    Sandbox sandbox;
    const std::string plain_file = sandbox.Write("not-a-program", "#!/bin/sh\nexit 0\n");
    chmod(plain_file.c_str(), 0644);
    const struct {
        const char* what;
        LaunchRequest request;
    } cases[] = {
        {"missing file", {sandbox.Path("missing"), {}, {}, true}},
        {"missing bare name", {"mapvale-no-such-program", {}, {}, true}},
        {"not executable", {plain_file, {}, {}, true}},
        {"a folder", {sandbox.Path(), {}, {}, true}},
        {"empty program", {"", {}, {}, true}},
        {"missing working folder",
         {SelfPath(), ChildArguments("process_exit", {"0"}), sandbox.Path("missing"), true}},
        {"working folder is a file",
         {SelfPath(), ChildArguments("process_exit", {"0"}), plain_file, true}},
        {"NUL in an argument", {SelfPath(), {"--child", std::string("a\0b", 3)}, {}, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PosixProcessLauncher().Start(c.request), nullptr) << c.what;
    }
}

TEST(ProcessTest, DroppedHandlesLeaveNoZombies) {
    // Dropped while running: the program goes on, and is reaped once it ends.
    std::vector<int> pids;
    for (int i = 0; i < 5; ++i) {
        auto process = DefaultProcessLauncher().Start(Child("process_sleep"));
        ASSERT_NE(process, nullptr);
        pids.push_back(process->Pid());
    }
    for (const int pid : pids) {
        EXPECT_NE(StateOf(pid), 'Z');
        EXPECT_EQ(kill(pid, SIGKILL), 0);
    }
    for (const int pid : pids) {
        EXPECT_TRUE(WaitUntil([&] { return Reaped(pid); }, 60s)) << pid;
    }

    // Dropped after it ended: reaped on the spot.
    auto process = DefaultProcessLauncher().Start(Child("process_exit", {"3"}));
    ASSERT_NE(process, nullptr);
    const int pid = process->Pid();
    ASSERT_TRUE(WaitUntil([&] { return StateOf(pid) == 'Z'; }, 60s));
    process.reset();
    EXPECT_TRUE(Reaped(pid));
}

TEST(ProcessTest, ParentDescriptorsDoNotReachTheProgram) {
    Sandbox sandbox;
    const std::string probe = sandbox.Write("leak-probe", "");
    // As if some library had forgotten close-on-exec.
    const int leaked = open(probe.c_str(), O_RDONLY);
    ASSERT_GE(leaked, 0);
    const std::string report = sandbox.Path("fds");
    auto process = DefaultProcessLauncher().Start(Child("process_list_fds", {report}));
    close(leaked);
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(process->Wait(60s));
    const std::string targets = Sandbox::Read(report);
    EXPECT_NE(targets, "");
    EXPECT_EQ(targets.find("leak-probe"), std::string::npos) << targets;
    EXPECT_EQ(targets.find("pidfd"), std::string::npos) << targets;
}

TEST(OpenWithDesktopTest, FalseWithoutAnOpener) {
    Sandbox sandbox;
    const char* old_path = std::getenv("PATH");
    const std::string saved = old_path != nullptr ? old_path : "";
    setenv("PATH", sandbox.Path().c_str(), 1);
    EXPECT_FALSE(OpenWithDesktop("https://example.invalid/"));
    EXPECT_FALSE(OpenWithDesktop(""));
    setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace mapvale::platform
