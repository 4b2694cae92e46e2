#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace mapvale::servers {

// One accepted connection as httplib's request parser reads it and its writers write it.
//
// Reads are buffered (the parser asks for single bytes). Every wait is bounded by a timeout and
// ends early when `stop_fd` becomes readable, so a stopping server never waits for a slow or
// idle client. Writes never raise SIGPIPE.
//
// Thread safety: one thread per connection.
class ConnectionStream final : public httplib::Stream {
public:
    struct Timeouts {
        std::chrono::milliseconds read{30000};
        std::chrono::milliseconds write{30000};
    };

    // Takes ownership of `socket`; `stop_fd` stays the caller's.
    ConnectionStream(int socket, int stop_fd, Timeouts timeouts);
    ~ConnectionStream() override;
    ConnectionStream(const ConnectionStream&) = delete;
    ConnectionStream& operator=(const ConnectionStream&) = delete;

    bool is_readable() const override;
    bool is_writable() const override;
    // Some bytes (at most `size`), 0 when the peer closed, -1 on an error, a timeout or a stop.
    ssize_t read(char* ptr, size_t size) override;
    // Some bytes (at most `size`), -1 on an error, a timeout or a stop.
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

    // Waits up to `timeout` for the first byte of another request; false on a timeout, a stop,
    // or when the peer has nothing more to say.
    bool WaitForRequest(std::chrono::milliseconds timeout);
    // Reads exactly `size` more bytes onto `out`; false when they do not all arrive.
    bool ReadExact(std::size_t size, std::string& out);
    // Writes all of `bytes`.
    bool WriteAll(std::string_view bytes);
    // Ends the connection: the peer gets everything written so far, then the end of the stream.
    // With `drain`, what the peer still sends is read and dropped for a moment first: closing a
    // socket with unread input sends a reset, which can destroy the tail of the answer before
    // the peer has read it.
    void Close(bool drain);

private:
    enum class Wait { kReady, kTimeout, kStopped, kError };

    Wait WaitFor(short events, std::chrono::milliseconds timeout) const;

    int socket_;
    int stop_fd_;
    Timeouts timeouts_;
    char buffer_[8192];
    std::size_t buffer_begin_ = 0;
    std::size_t buffer_end_ = 0;
};

}  // namespace mapvale::servers
