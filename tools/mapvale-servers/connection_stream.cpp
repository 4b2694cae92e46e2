#include "mapvale-servers/connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mapvale::servers {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How long, and how much, Close(drain) reads before it gives up on the peer.
constexpr milliseconds kDrainTime(250);
constexpr std::size_t kDrainBytes = 1024 * 1024;

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof(text));
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof(text));
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

}  // namespace

ConnectionStream::ConnectionStream(int socket, int stop_fd, Timeouts timeouts)
    : socket_(socket), stop_fd_(stop_fd), timeouts_(timeouts) {}

ConnectionStream::~ConnectionStream() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

ConnectionStream::Wait ConnectionStream::WaitFor(short events, milliseconds timeout) const {
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        pollfd fds[2] = {{socket_, events, 0}, {stop_fd_, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
        const int result =
            ::poll(fds, 2, static_cast<int>(std::max<milliseconds::rep>(left.count(), 0)));
        if (result < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::kError;
        }
        if (fds[1].revents != 0) {
            return Wait::kStopped;
        }
        if (fds[0].revents != 0) {
            // Errors and hang-ups count as ready: the next recv or send reports them.
            return Wait::kReady;
        }
        if (result == 0 || left.count() <= 0) {
            return Wait::kTimeout;
        }
    }
}

bool ConnectionStream::is_readable() const {
    return buffer_begin_ < buffer_end_ || WaitFor(POLLIN, timeouts_.read) == Wait::kReady;
}

bool ConnectionStream::is_writable() const {
    return WaitFor(POLLOUT, timeouts_.write) == Wait::kReady;
}

ssize_t ConnectionStream::read(char* ptr, size_t size) {
    if (size == 0) {
        return 0;
    }
    if (buffer_begin_ == buffer_end_) {
        for (;;) {
            if (WaitFor(POLLIN, timeouts_.read) != Wait::kReady) {
                return -1;
            }
            const ssize_t got = ::recv(socket_, buffer_, sizeof(buffer_), MSG_DONTWAIT);
            if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                continue;
            }
            if (got <= 0) {
                return got;
            }
            buffer_begin_ = 0;
            buffer_end_ = static_cast<std::size_t>(got);
            break;
        }
    }
    const std::size_t n = std::min(size, buffer_end_ - buffer_begin_);
    std::memcpy(ptr, buffer_ + buffer_begin_, n);
    buffer_begin_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
    if (size == 0) {
        return 0;
    }
    for (;;) {
        if (WaitFor(POLLOUT, timeouts_.write) != Wait::kReady) {
            return -1;
        }
        const ssize_t sent = ::send(socket_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        return sent;
    }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

bool ConnectionStream::WaitForRequest(milliseconds timeout) {
    return buffer_begin_ < buffer_end_ || WaitFor(POLLIN, timeout) == Wait::kReady;
}

bool ConnectionStream::ReadExact(std::size_t size, std::string& out) {
    char piece[4096];
    while (size > 0) {
        const ssize_t got = read(piece, std::min(size, sizeof(piece)));
        if (got <= 0) {
            return false;
        }
        out.append(piece, static_cast<std::size_t>(got));
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool ConnectionStream::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = write(bytes.data(), bytes.size());
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void ConnectionStream::Close(bool drain) {
    if (socket_ < 0) {
        return;
    }
    ::shutdown(socket_, SHUT_WR);
    if (drain) {
        const auto deadline = steady_clock::now() + kDrainTime;
        std::size_t dropped = 0;
        char sink[4096];
        while (dropped < kDrainBytes) {
            const auto left =
                std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
            if (left.count() <= 0 || WaitFor(POLLIN, left) != Wait::kReady) {
                break;
            }
            const ssize_t got = ::recv(socket_, sink, sizeof(sink), MSG_DONTWAIT);
            if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            dropped += static_cast<std::size_t>(got);
        }
    }
    ::close(socket_);
    socket_ = -1;
}

}  // namespace mapvale::servers
