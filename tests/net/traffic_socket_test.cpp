// The traffic connection against peers on loopback that misbehave on purpose: nobody listening,
// a listener that never takes the connection, a peer that says nothing or trickles, and answers
// written byte by byte.

#include "net/traffic_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "mapvale-servers/traffic_server.h"
#include "platform/fake_clock.h"

namespace mapvale::net {
namespace {

using servers::TrafficServer;
using servers::TrafficServerConfig;

// A listening socket on 127.0.0.1 with a port the system chose.
class Listener {
public:
    explicit Listener(int backlog) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(fd_, backlog), 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { ::close(fd_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int fd() const { return fd_; }
    std::uint16_t port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A peer that takes one connection and writes `bytes` to it, all at once or one byte per
// `pace`, then closes it or keeps it open (reading nothing) until the peer is destroyed.
class ScriptedPeer {
public:
    enum class End { kKeepOpen, kClose };

    explicit ScriptedPeer(std::string bytes, std::chrono::milliseconds pace = {},
                          End end = End::kKeepOpen)
        : listener_(1), bytes_(std::move(bytes)), pace_(pace), end_(end) {
        EXPECT_EQ(::pipe2(stop_, O_CLOEXEC), 0);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedPeer() {
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = ::write(stop_[1], &byte, 1);
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t port() const { return listener_.port(); }

private:
    // Waits `ms` (-1: for ever) for the stop signal; true when it came.
    bool Stopped(int ms) const {
        pollfd p{stop_[0], POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    void Run() {
        pollfd fds[2] = {{listener_.fd(), POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || fds[1].revents != 0) {
            return;
        }
        const int client = ::accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        const std::size_t step = pace_.count() > 0 ? 1 : bytes_.size();
        for (std::size_t at = 0; at < bytes_.size(); at += step) {
            if (::send(client, bytes_.data() + at, std::min(step, bytes_.size() - at),
                       MSG_NOSIGNAL) <= 0 ||
                (pace_.count() > 0 && Stopped(static_cast<int>(pace_.count())))) {
                ::close(client);
                return;
            }
        }
        if (end_ == End::kKeepOpen) {
            Stopped(-1);
        }
        ::close(client);
    }

    Listener listener_;
    std::string bytes_;
    std::chrono::milliseconds pace_;
    End end_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

std::string Header(std::uint32_t length, std::uint32_t counter, std::string_view tag = "MTRA01") {
    std::string header(tag);
    header.resize(12, '\0');
    for (std::uint32_t value : {length, counter}) {
        for (int i = 0; i < 4; ++i) {
            header.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    }
    return header;
}

// What ReceiveMessage makes of `wire` (sent at once, then the connection closes), and the
// message when it was received. Real waits: a fake sleeper would run through the silence bound
// before the peer has written.
std::pair<int, std::string> Receive(const std::string& wire) {
    ScriptedPeer peer(wire, {}, ScriptedPeer::End::kClose);
    TrafficSocket socket(nullptr, platform::DefaultSleeper());
    EXPECT_EQ(socket.Connect("127.0.0.1", peer.port()), 1);
    std::string message;
    const int result = socket.ReceiveMessage(message);
    return {result, message};
}

TEST(TrafficSocketTest, ConnectFailsAtOnceOrWithinItsBound) {
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    TrafficLimits limits;
    limits.connect = std::chrono::milliseconds(100);

    // A port nobody listens on refuses at once.
    std::uint16_t unused = 0;
    {
        const Listener taken(1);
        unused = taken.port();
    }
    TrafficSocket socket(nullptr, sleeper, limits);
    EXPECT_EQ(socket.Connect("127.0.0.1", unused), 0);
    EXPECT_NE(socket.error_text(), kTextConnectTimedOut);
    EXPECT_FALSE(socket.connected());

    // A listener whose queue is full drops the handshake, as an unreachable host does: the
    // connect would wait for the system's retries, minutes long.
    const Listener full(0);
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(full.port());
    ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int second = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::connect(second, reinterpret_cast<sockaddr*>(&address), sizeof address);
    EXPECT_EQ(socket.Connect("127.0.0.1", full.port()), 0);
    EXPECT_EQ(socket.error_text(), kTextConnectTimedOut);
    EXPECT_FALSE(socket.connected());
    ::close(second);
    ::close(filler);

    EXPECT_EQ(socket.Connect("no-such-host.invalid", 1), 0);
    EXPECT_EQ(socket.error_text(), "IP주소 구하기 실패");
}

TEST(TrafficSocketTest, SilentPeerIsGivenUpAfterTheEmptyPolls) {
    TrafficServerConfig config;
    TrafficServer server(config);
    ASSERT_TRUE(server.Start("127.0.0.1", 0));
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    TrafficSocket socket(nullptr, sleeper);
    ASSERT_EQ(socket.Connect("127.0.0.1", server.port()), 1);
    std::string message;
    // Nothing sent, so nothing comes back: 3000 polls of 10 ms on the fake clock.
    EXPECT_EQ(socket.ReceiveMessage(message), TrafficSocket::kConnectionLost);
    EXPECT_GE(sleeper.TotalSlept(), std::chrono::milliseconds(29990));
}

TEST(TrafficSocketTest, TricklingPeerIsGivenUpAtTheDeadline) {
    // A whole, valid answer, one byte every 5 ms: about 10 s to arrive, and never 30 s silent.
    ScriptedPeer peer(Header(2028, 0) + std::string(2028, 'a'), std::chrono::milliseconds(5));
    TrafficLimits limits;
    limits.deadline = std::chrono::milliseconds(200);
    TrafficSocket socket(nullptr, platform::DefaultSleeper(), limits);
    ASSERT_EQ(socket.Connect("127.0.0.1", peer.port()), 1);
    std::string message;
    EXPECT_EQ(socket.ReceiveMessage(message), TrafficSocket::kShort);
}

TEST(TrafficSocketTest, AnswersNeedTheMarkerAndTheCounterOnly) {
    // One packet longer than the client ever sends, with a tag other than the client's.
    auto [result, message] = Receive(Header(3000, 0, "MXXXXX") + std::string(3000, 'x'));
    EXPECT_EQ(result, TrafficSocket::kReceived);
    EXPECT_EQ(message, std::string(3000, 'x'));

    // The remainder first, then a full packet.
    std::tie(result, message) =
        Receive(Header(1, 1) + "r" + Header(2028, 0, "M") + std::string(2028, 'f'));
    EXPECT_EQ(result, TrafficSocket::kReceived);
    EXPECT_EQ(message, "r" + std::string(2028, 'f'));

    EXPECT_EQ(Receive(Header(1, 0, "NTRA01") + "x").first, TrafficSocket::kBadHeader);
    EXPECT_EQ(Receive(Header(1, 1) + "r" + Header(1, 0, "X") + "f").first,
              TrafficSocket::kBadHeader);
    // Counters must count down by one.
    EXPECT_EQ(Receive(Header(1, 2) + "r" + Header(2028, 0) + std::string(2028, 'f')).first,
              TrafficSocket::kBadHeader);
    // No packet may go past the length the first one announced.
    EXPECT_EQ(Receive(Header(1, 1) + "r" + Header(2029, 0) + std::string(2029, 'f')).first,
              TrafficSocket::kBadHeader);
    EXPECT_EQ(Receive(Header(10, 0) + "short").first, TrafficSocket::kShort);
}

}  // namespace
}  // namespace mapvale::net
