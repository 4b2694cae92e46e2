#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace mapvale::app {
class LogFile;
}

namespace mapvale::net {

// How long a traffic connection may keep its caller waiting. The exchange runs on the thread
// that asked for it (the user-interface thread), so every wait has an end.
struct TrafficLimits {
    // The connection must be made within this time.
    std::chrono::milliseconds connect{5000};
    // A peer that moves no byte for this many 10 ms polls in a row (30 s) has gone away.
    int max_empty_polls = 3000;
    // All waiting on a connection, its connect included, ends here however the peer trickles.
    // RunTrafficUpload spreads one such budget over both of its connections.
    std::chrono::milliseconds deadline{60000};
};

// One TCP connection to the traffic server, speaking in "TRA01" messages.
//
// Time is counted as the connection waits: the pauses between polls (on the sleeper) and the
// polls that timed out. The time spent moving bytes is not counted, so the deadline bounds a
// slow or silent peer, not a fast one (whose messages are bounded by kMaxMessage).
//
// Thread safety: one thread per object.
class TrafficSocket {
public:
    // Results of ReceiveMessage.
    static constexpr int kReceived = 1;
    static constexpr int kConnectionLost = 2;  // before a header arrived
    static constexpr int kShort = 12;          // a header or payload stopped short
    static constexpr int kBadHeader = 13;      // wrong marker, length or counter

    static constexpr std::size_t kBufferSize = 4096;
    // A message larger than this is not one the server sends; refusing it bounds memory.
    static constexpr std::size_t kMaxMessage = 64u << 20;

    // `log` may be null (no logging). The sleeper paces the waits for data.
    TrafficSocket(app::LogFile* log, platform::Sleeper& sleeper, TrafficLimits limits = {});
    ~TrafficSocket();
    TrafficSocket(const TrafficSocket&) = delete;
    TrafficSocket& operator=(const TrafficSocket&) = delete;

    // 1 when connected; 0 with the reason in error_text().
    int Connect(const std::string& host, std::uint16_t port);
    // 1 when every packet of the message went out whole.
    int SendMessage(std::string_view message);
    // kReceived with the whole message in `message`, or one of the failures above.
    int ReceiveMessage(std::string& message);
    void Close();

    bool connected() const { return fd_ >= 0; }
    const std::string& error_text() const { return error_text_; }
    // The time this connection has waited so far, counted as described above.
    std::chrono::milliseconds waited() const { return waited_; }

private:
    // Waits for the socket to be ready for `events` in 1 ms polls, at most `max_polls` of them
    // and not past the deadline.
    bool WaitReady(short events, int max_polls);
    // Counts `duration` as waited; false (logged once) when the deadline has passed.
    bool Spend(std::chrono::milliseconds duration);
    int SendBlock(const char* data, std::size_t length);
    // 1 when `length` bytes arrived; 0 when the peer closed or stayed silent too long; -1 when
    // nothing at all arrived before it closed.
    int ReadExactly(char* out, std::size_t length);

    app::LogFile* log_;
    platform::Sleeper& sleeper_;
    TrafficLimits limits_;
    std::chrono::milliseconds waited_{0};
    int fd_ = -1;
    std::string error_text_;
};

// The error text of a connection not made within TrafficLimits::connect.
inline constexpr std::string_view kTextConnectTimedOut = "서버 연결 시간 초과";

}  // namespace mapvale::net
