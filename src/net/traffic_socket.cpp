#include "net/traffic_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/log_file.h"
#include "net/traffic_packet.h"

namespace mapvale::net {

namespace {

constexpr int kMaxBlockedSends = 21;
constexpr std::chrono::microseconds kBlockedSendWait(500);
constexpr std::chrono::milliseconds kEmptyPollWait(10);
constexpr std::chrono::milliseconds kReadyPoll(1);
constexpr std::chrono::milliseconds kConnectPoll(10);

}  // namespace

TrafficSocket::TrafficSocket(app::LogFile* log, platform::Sleeper& sleeper, TrafficLimits limits)
    : log_(log), sleeper_(sleeper), limits_(limits) {}

TrafficSocket::~TrafficSocket() {
    Close();
}

void TrafficSocket::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool TrafficSocket::Spend(std::chrono::milliseconds duration) {
    const bool was_within = waited_ < limits_.deadline;
    waited_ += duration;
    if (waited_ < limits_.deadline) {
        return true;
    }
    if (was_within) {
        app::LogLine(log_, "Time Out %lld ms", static_cast<long long>(waited_.count()));
    }
    return false;
}

// Real time does not pass on a fake sleeper, so each step polls with a real timeout as well.
bool TrafficSocket::WaitReady(short events, int max_polls) {
    for (int i = 0; i < max_polls; ++i) {
        pollfd p{fd_, events, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(kReadyPoll.count()));
        if (rc > 0) {
            return true;
        }
        if (rc < 0 && errno != EINTR) {
            return false;
        }
        if (!Spend(kReadyPoll)) {
            return false;
        }
        sleeper_.Sleep(std::chrono::milliseconds(0));
    }
    return false;
}

int TrafficSocket::Connect(const std::string& host, std::uint16_t port) {
    Close();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    const bool numeric = !host.empty() && host.front() >= '0' && host.front() <= '9';
    if (numeric) {
        if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
            error_text_ = "IP주소 구하기 실패";
            return 0;
        }
    } else {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
            error_text_ = "IP주소 구하기 실패";
            return 0;
        }
        address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    // Non-blocking from the start: a blocking connect to a host that never answers would hold
    // the caller for the system's SYN retries (minutes).
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        error_text_ = "소켓생성 실패";
        return 0;
    }
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            error_text_ = std::strerror(errno);
            Close();
            return 0;
        }
        bool writable = false;
        for (auto left = limits_.connect; left.count() > 0 && !writable;) {
            const auto step = std::min(left, kConnectPoll);
            pollfd p{fd_, POLLOUT, 0};
            const int rc = ::poll(&p, 1, static_cast<int>(step.count()));
            if (rc > 0) {
                writable = true;
            } else if (rc < 0 && errno != EINTR) {
                break;
            } else if (rc == 0) {
                left -= step;
                if (!Spend(step)) {
                    break;
                }
            }
        }
        if (!writable) {
            error_text_ = std::string(kTextConnectTimedOut);
            Close();
            return 0;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            error_text_ = std::strerror(error != 0 ? error : errno);
            Close();
            return 0;
        }
    }
    const int size = static_cast<int>(kBufferSize);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return 1;
}

int TrafficSocket::SendBlock(const char* data, std::size_t length) {
    // A server that never takes data would otherwise hold the upload for ever: give it as long
    // as a silent reader gets.
    if (!WaitReady(POLLOUT, limits_.max_empty_polls * 10)) {
        return 0;
    }
    int blocked = 0;
    while (length > 0) {
        const ssize_t n = ::send(fd_, data, std::min(length, kBufferSize), MSG_NOSIGNAL);
        if (n > 0) {
            app::LogLine(log_, "Snd: %d Bytes", static_cast<int>(n));
            data += n;
            length -= static_cast<std::size_t>(n);
            blocked = 0;
            continue;
        }
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            app::LogText(log_, "BLOCK 2 !");
            if (++blocked > kMaxBlockedSends) {
                return 0;
            }
            sleeper_.Sleep(std::chrono::duration_cast<std::chrono::milliseconds>(kBlockedSendWait));
            WaitReady(POLLOUT, 1);
            continue;
        }
        app::LogLine(log_, "Write Err %d %s", errno, std::strerror(errno));
        return 0;
    }
    return 1;
}

int TrafficSocket::SendMessage(std::string_view message) {
    if (fd_ < 0) {
        return 0;
    }
    for (const std::string& packet : SplitTrafficMessage(message)) {
        if (SendBlock(packet.data(), packet.size()) != 1) {
            return 0;
        }
    }
    return 1;
}

int TrafficSocket::ReadExactly(char* out, std::size_t length) {
    std::size_t got = 0;
    int empty_polls = 0;
    while (got < length) {
        if (fd_ < 0) {
            return got == 0 ? -1 : 0;
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0) {
            const ssize_t n = ::recv(fd_, out + got, length - got, 0);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                empty_polls = 0;
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                app::LogText(log_, "Socket Close !");
                Close();
                return got == 0 ? -1 : 0;
            }
        }
        if (++empty_polls >= limits_.max_empty_polls || !Spend(kEmptyPollWait)) {
            return got == 0 ? -1 : 0;
        }
        sleeper_.Sleep(kEmptyPollWait);
    }
    return 1;
}

int TrafficSocket::ReceiveMessage(std::string& message) {
    message.clear();
    std::size_t total = 0;
    std::uint32_t expected_counter = 0;
    bool first = true;
    for (;;) {
        char header_bytes[kTrafficHeaderSize];
        const int got = ReadExactly(header_bytes, sizeof header_bytes);
        if (got != 1) {
            return first && got < 0 ? kConnectionLost : kShort;
        }
        const TrafficHeader header =
            ParseTrafficHeader(std::string_view(header_bytes, sizeof header_bytes));
        // The marker is all a header has to show; a packet may carry more than the 2028 bytes
        // the client puts in one, as long as the message stays within the length the first
        // header announced.
        if (!header.marker_ok) {
            return kBadHeader;
        }
        if (first) {
            total = header.payload_length +
                    static_cast<std::size_t>(header.packets_to_follow) * kTrafficMaxPayload;
            if (total > kMaxMessage) {
                return kBadHeader;
            }
            message.reserve(total);
            first = false;
        } else if (header.packets_to_follow != expected_counter) {
            return kBadHeader;
        }
        if (message.size() + header.payload_length > total) {
            return kBadHeader;
        }
        const std::size_t at = message.size();
        message.resize(at + header.payload_length);
        if (header.payload_length > 0 &&
            ReadExactly(message.data() + at, header.payload_length) != 1) {
            return kShort;
        }
        if (header.packets_to_follow == 0) {
            return kReceived;
        }
        expected_counter = header.packets_to_follow - 1;
    }
}

}  // namespace mapvale::net
