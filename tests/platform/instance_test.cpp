#include "platform/instance.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/event.h"
#include "platform/process.h"
#include "support/sandbox.h"
#include "support/test_child.h"

namespace mapvale::platform {
namespace {

using namespace std::chrono_literals;
using testing::ChildArguments;
using testing::Sandbox;
using testing::SelfPath;
using testing::WaitUntil;

// Publishes name args[1] in scope args[0]; exits 0 when asked to close, 1 when the name was
// taken, 2 when nobody asked within a minute.
MAPVALE_TEST_CHILD(instance_publisher) {
    SocketInstanceService service(args.at(0));
    Event closed;
    auto endpoint = service.Publish(args.at(1), [&] { closed.Set(); });
    if (endpoint == nullptr) {
        return 1;
    }
    return closed.Wait(60s) ? 0 : 2;
}

// Tries lock args[1] in folder args[0] and writes "held" or "busy" to file args[2]; holds the
// lock until killed, exits 1 when it was busy.
MAPVALE_TEST_CHILD(instance_lock_holder) {
    auto lock = NamedLock::TryAcquire(args.at(1), args.at(0));
    std::ofstream(args.at(2)) << (lock != nullptr ? "held" : "busy");
    if (lock == nullptr) {
        return 1;
    }
    for (;;) {
        pause();
    }
}

MAPVALE_TEST_CHILD(instance_idle) {
    for (;;) {
        pause();
    }
}

std::string UniqueScope() {
    static std::atomic<int> next{0};
    return "test-" + std::to_string(getpid()) + "-" + std::to_string(next++);
}

std::unique_ptr<Process> StartChild(const std::string& name, const std::vector<std::string>& args) {
    return DefaultProcessLauncher().Start({SelfPath(), ChildArguments(name, args), {}, false});
}

struct KillOnExit {
    Process* process;
    ~KillOnExit() {
        if (process != nullptr && process->IsActive()) {
            kill(process->Pid(), SIGKILL);
            process->Wait(10s);
        }
    }
};

// The socket address of `name` in `scope` (plain letters only), for peers that behave as the
// service itself never would.
std::pair<sockaddr_un, socklen_t> RawAddress(const std::string& scope, const std::string& name) {
    const std::string text = "mapvale/" + std::to_string(getuid()) + "/" + scope + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    text.copy(address.sun_path + 1, text.size());
    return {address, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size())};
}

int RawConnect(const std::string& scope, const std::string& name) {
    const auto [address, length] = RawAddress(scope, name);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Everything the peer sends until it closes the connection.
std::string ReadToEnd(int fd) {
    std::string all;
    char buffer[256];
    for (;;) {
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, 30000) <= 0) {
            return all + "<no end>";
        }
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return all;
        }
        all.append(buffer, static_cast<std::size_t>(got));
    }
}

TEST(InstanceTest, PublishedNameIsFoundUntilTheEndpointGoes) {
    SocketInstanceService service(UniqueScope());
    SocketInstanceService elsewhere(UniqueScope());
    EXPECT_FALSE(service.Exists("MapvaleTray"));

    auto endpoint = service.Publish("MapvaleTray", {});
    ASSERT_NE(endpoint, nullptr);
    EXPECT_TRUE(service.Exists("MapvaleTray"));
    EXPECT_FALSE(service.Exists("MapvaleTra"));
    EXPECT_FALSE(elsewhere.Exists("MapvaleTray"));
    EXPECT_EQ(service.Publish("MapvaleTray", {}), nullptr);
    // Without a callback the endpoint does not take close requests.
    EXPECT_FALSE(service.RequestClose("MapvaleTray"));
    EXPECT_TRUE(service.Exists("MapvaleTray"));

    endpoint.reset();
    EXPECT_FALSE(service.Exists("MapvaleTray"));
    EXPECT_NE(service.Publish("MapvaleTray", {}), nullptr);
}

TEST(InstanceTest, NamesAreKeptApart) {
    const std::string scope = UniqueScope();
    SocketInstanceService service(scope + "/a");
    SocketInstanceService parent(scope);
    const std::string long_name(300, 'x');
    const std::vector<std::string> names{"TSKN_Waymark+", "b",          "지도", long_name + "1",
                                         long_name + "2", "with space", "%2F"};
    std::vector<std::unique_ptr<InstanceEndpoint>> endpoints;
    for (const std::string& name : names) {
        endpoints.push_back(service.Publish(name, {}));
        ASSERT_NE(endpoints.back(), nullptr) << name;
    }
    for (const std::string& name : names) {
        EXPECT_TRUE(service.Exists(name)) << name;
    }
    // Scope "<s>/a" with name "b" is not scope "<s>" with name "a/b".
    EXPECT_FALSE(parent.Exists("a/b"));
    EXPECT_NE(parent.Publish("a/b", {}), nullptr);
    EXPECT_FALSE(service.Exists("/"));
    EXPECT_FALSE(service.Exists(long_name + "3"));
    EXPECT_EQ(service.Publish("", {}), nullptr);
    EXPECT_FALSE(service.Exists(""));
}

TEST(InstanceTest, RequestCloseRunsTheCallbackOnTheEndpointThread) {
    SocketInstanceService service(UniqueScope());
    EXPECT_FALSE(service.RequestClose("TSKN_Waymark+"));
    std::atomic<int> calls{0};
    std::thread::id caller;
    auto endpoint = service.Publish("TSKN_Waymark+", [&] {
        caller = std::this_thread::get_id();
        ++calls;
    });
    ASSERT_NE(endpoint, nullptr);
    // The answer comes after the callback returned.
    EXPECT_TRUE(service.RequestClose("TSKN_Waymark+"));
    EXPECT_EQ(calls, 1);
    EXPECT_NE(caller, std::this_thread::get_id());
    EXPECT_TRUE(service.RequestClose("TSKN_Waymark+"));
    EXPECT_EQ(calls, 2);
}

TEST(InstanceTest, OtherProgramClosesWhenAsked) {
    const std::string scope = UniqueScope();
    SocketInstanceService service(scope);
    auto program = StartChild("instance_publisher", {scope, "MapvaleTray"});
    ASSERT_NE(program, nullptr);
    KillOnExit guard{program.get()};
    ASSERT_TRUE(WaitUntil([&] { return service.Exists("MapvaleTray"); }, 60s));
    EXPECT_EQ(service.Publish("MapvaleTray", {}), nullptr);

    EXPECT_TRUE(service.RequestClose("MapvaleTray"));
    ASSERT_TRUE(program->Wait(60s));
    EXPECT_EQ(program->ExitCode(), 0);
    EXPECT_FALSE(service.Exists("MapvaleTray"));
}

TEST(InstanceTest, KilledProgramLeavesNoEndpoint) {
    const std::string scope = UniqueScope();
    SocketInstanceService service(scope);
    auto program = StartChild("instance_publisher", {scope, "MapvaleTray"});
    ASSERT_NE(program, nullptr);
    KillOnExit guard{program.get()};
    ASSERT_TRUE(WaitUntil([&] { return service.Exists("MapvaleTray"); }, 60s));

    ASSERT_EQ(kill(program->Pid(), SIGKILL), 0);
    ASSERT_TRUE(program->Wait(60s));
    EXPECT_FALSE(service.Exists("MapvaleTray"));
    EXPECT_FALSE(service.RequestClose("MapvaleTray"));
    EXPECT_NE(service.Publish("MapvaleTray", {}), nullptr);
}

TEST(InstanceTest, IgnoresMalformedAndSilentPeers) {
    const std::string scope = UniqueScope();
    SocketInstanceService service(scope);
    std::atomic<int> calls{0};
    auto endpoint = service.Publish("Mapvale", [&] { ++calls; });
    ASSERT_NE(endpoint, nullptr);

    // More silent peers than the endpoint serves at once.
    std::vector<int> silent;
    for (int i = 0; i < 20; ++i) {
        silent.push_back(RawConnect(scope, "Mapvale"));
        ASSERT_GE(silent.back(), 0);
    }
    for (const std::string& request :
         {std::string("close\n"), std::string("CLOSE \n"), std::string("CLOSE"),
          std::string("CLOSEPING\n"), std::string(100, 'C') + "\n", std::string("\n")}) {
        const int fd = RawConnect(scope, "Mapvale");
        ASSERT_GE(fd, 0);
        // A short write on a fresh local connection would be a test fault, not the endpoint's.
        ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(request.size()));
        if (request == "CLOSE") {
            shutdown(fd, SHUT_WR);
        }
        EXPECT_EQ(ReadToEnd(fd), "") << request;
        close(fd);
    }
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(service.Exists("Mapvale"));

    // Going away with a silent peer connected does not hang.
    const int last = RawConnect(scope, "Mapvale");
    endpoint.reset();
    EXPECT_FALSE(service.Exists("Mapvale"));
    close(last);
    for (const int fd : silent) {
        close(fd);
    }
}

TEST(InstanceTest, HungProgramCountsAsAbsent) {
    // A program that holds the name but never answers.
    const std::string scope = UniqueScope();
    const auto [address, length] = RawAddress(scope, "Mapvale");
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(fd, 4), 0);

    SocketInstanceService service(scope);
    EXPECT_FALSE(service.Exists("Mapvale"));
    EXPECT_FALSE(service.RequestClose("Mapvale"));
    EXPECT_EQ(service.Publish("Mapvale", {}), nullptr);
    close(fd);
}

TEST(NamedLockTest, HeldUntilReleasedWithinOneProgram) {
    Sandbox sandbox;
    auto lock = NamedLock::TryAcquire("MapvaleTray", sandbox.Path());
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(NamedLock::TryAcquire("MapvaleTray", sandbox.Path()), nullptr);
    EXPECT_NE(NamedLock::TryAcquire("Mapvale", sandbox.Path()), nullptr);
    lock.reset();
    EXPECT_NE(NamedLock::TryAcquire("MapvaleTray", sandbox.Path()), nullptr);
    EXPECT_EQ(NamedLock::TryAcquire("MapvaleTray", sandbox.Path("missing")), nullptr);
    EXPECT_EQ(NamedLock::TryAcquire("", sandbox.Path()), nullptr);
}

TEST(NamedLockTest, OtherProgramHoldsItUntilItDies) {
    Sandbox sandbox;
    const std::string held = sandbox.Path("held");
    auto holder = StartChild("instance_lock_holder", {sandbox.Path(), "MapvaleTray", held});
    ASSERT_NE(holder, nullptr);
    KillOnExit guard{holder.get()};
    ASSERT_TRUE(WaitUntil([&] { return Sandbox::Read(held) == "held"; }, 60s));
    EXPECT_EQ(NamedLock::TryAcquire("MapvaleTray", sandbox.Path()), nullptr);

    ASSERT_EQ(kill(holder->Pid(), SIGKILL), 0);
    ASSERT_TRUE(holder->Wait(60s));
    auto lock = NamedLock::TryAcquire("MapvaleTray", sandbox.Path());
    ASSERT_NE(lock, nullptr);

    // Now the other program finds it taken.
    const std::string busy = sandbox.Path("busy");
    auto second = StartChild("instance_lock_holder", {sandbox.Path(), "MapvaleTray", busy});
    ASSERT_NE(second, nullptr);
    KillOnExit second_guard{second.get()};
    ASSERT_TRUE(second->Wait(60s));
    EXPECT_EQ(second->ExitCode(), 1);
    EXPECT_EQ(Sandbox::Read(busy), "busy");

    // A program started while the lock was held does not keep it once released.
    auto bystander = StartChild("instance_idle", {});
    ASSERT_NE(bystander, nullptr);
    KillOnExit bystander_guard{bystander.get()};
    lock.reset();
    EXPECT_NE(NamedLock::TryAcquire("MapvaleTray", sandbox.Path()), nullptr);
    EXPECT_TRUE(bystander->IsActive());
}

TEST(NamedLockTest, AnyNameStaysAFileInItsFolder) {
    Sandbox sandbox;
    const std::string folder = sandbox.Path("locks");
    std::filesystem::create_directory(folder);
    const std::vector<std::string> names{
        "../escape",           "a/b",        "a_b",          "..", ".", "a%2Fb", "지도",
        std::string(400, 'n'), "with space", "TSKN_Waymark+"};
    std::vector<std::unique_ptr<NamedLock>> locks;
    for (const std::string& name : names) {
        locks.push_back(NamedLock::TryAcquire(name, folder));
        ASSERT_NE(locks.back(), nullptr) << name;
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sandbox.path())) {
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_EQ(entry.path().parent_path(), folder);
            EXPECT_LE(entry.path().filename().string().size(), 255u);
        }
    }
    EXPECT_EQ(files, names.size());
}

TEST(NamedLockTest, DefaultFolderIsTheRuntimeFolder) {
    Sandbox sandbox;
    const char* old_runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old_runtime != nullptr ? old_runtime : "";
    setenv("XDG_RUNTIME_DIR", sandbox.Path().c_str(), 1);
    auto lock = NamedLock::TryAcquire("MapvaleTray");
    EXPECT_NE(lock, nullptr);
    EXPECT_EQ(NamedLock::TryAcquire("MapvaleTray"), nullptr);
    EXPECT_FALSE(std::filesystem::is_empty(sandbox.path()));
    if (old_runtime != nullptr) {
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
}  // namespace mapvale::platform
