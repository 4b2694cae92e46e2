#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace mapvale::app {
class LogFile;
}

namespace mapvale::net {

// One TCP connection to the traffic server, speaking in "TRA01" messages.
//
// Thread safety: one thread per object.
class TrafficSocket {
public:
    // Results of ReceiveMessage.
    static constexpr int kReceived = 1;
    static constexpr int kConnectionLost = 2;  // before a header arrived
    static constexpr int kShort = 12;          // a header or payload stopped short
    static constexpr int kBadHeader = 13;      // wrong magic, length or counter

    static constexpr std::size_t kBufferSize = 4096;
    // A peer silent for this many 10 ms polls in a row has gone away.
    static constexpr int kMaxEmptyPolls = 3000;
    // A message larger than this is not one the server sends; refusing it bounds memory.
    static constexpr std::size_t kMaxMessage = 64u << 20;

    // `log` may be null (no logging). The sleeper paces the waits for data.
    TrafficSocket(app::LogFile* log, platform::Sleeper& sleeper);
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

private:
    int SendBlock(const char* data, std::size_t length);
    // 1 when `length` bytes arrived; 0 when the peer closed or stayed silent too long; -1 when
    // nothing at all arrived before it closed.
    int ReadExactly(char* out, std::size_t length);

    app::LogFile* log_;
    platform::Sleeper& sleeper_;
    int fd_ = -1;
    std::string error_text_;
};

}  // namespace mapvale::net
