#include "support/stalling_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mapvale::testing {

namespace {

// How often the server's threads look at the stop flag.
constexpr int kSliceMs = 20;

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The path of a request line ("GET /a/b?x=1 HTTP/1.1" gives "/a/b").
std::string RequestPath(const std::string& head) {
    const std::size_t start = head.find(' ');
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = head.find_first_of(" ?", start + 1);
    return head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

}  // namespace

StallingServer::StallingServer() {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listen_fd_, 16) != 0 ||
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listen_fd_);
        listen_fd_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

StallingServer::~StallingServer() {
    Stop();
}

std::string StallingServer::address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string StallingServer::Url(std::string_view path) const {
    return "http://" + address() + std::string(path);
}

void StallingServer::Answer(const std::string& path, std::string body) {
    std::lock_guard lock(mutex_);
    answers_[path] = std::move(body);
}

void StallingServer::AnswerRaw(const std::string& path, std::string raw) {
    std::lock_guard lock(mutex_);
    raw_answers_[path] = std::move(raw);
}

void StallingServer::StallWith(std::uint64_t announced, std::string sent) {
    std::lock_guard lock(mutex_);
    announced_ = announced;
    sent_ = std::move(sent);
}

std::vector<std::string> StallingServer::paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
}

void StallingServer::Stop() {
    stop_.store(true);
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    for (std::thread& connection : connections_) {
        connection.join();
    }
    connections_.clear();
    if (listen_fd_ >= 0) {
        ::close(listen_fd_);
        listen_fd_ = -1;
    }
}

void StallingServer::AcceptLoop() {
    while (!stop_.load()) {
        pollfd waiting{listen_fd_, POLLIN, 0};
        if (::poll(&waiting, 1, kSliceMs) <= 0) {
            continue;
        }
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            connections_.emplace_back([this, fd] { Serve(fd); });
        }
    }
}

void StallingServer::Serve(int fd) {
    // The request head; a body the client may send along is not looked at.
    std::string head;
    while (!stop_.load() && head.find("\r\n\r\n") == std::string::npos) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, kSliceMs) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string path = RequestPath(head);
    std::string answer;
    bool answered = false;
    std::uint64_t announced = 0;
    std::string sent;
    {
        std::lock_guard lock(mutex_);
        paths_.push_back(path);
        const auto found = answers_.find(path);
        if (found != answers_.end()) {
            answered = true;
            answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(found->second.size()) +
                     "\r\nConnection: close\r\n\r\n" + found->second;
        }
        const auto raw = raw_answers_.find(path);
        if (raw != raw_answers_.end()) {
            answered = true;
            answer = raw->second;
        }
        announced = announced_;
        sent = sent_;
    }
    if (answered) {
        SendAll(fd, answer);
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
        return;
    }
    if (announced > 0) {
        SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) +
                        "\r\nContent-Type: application/octet-stream\r\n\r\n" + sent);
    }
    const std::size_t count = held_.fetch_add(1) + 1;
    if (on_stall) {
        on_stall(count);
    }
    // Silent until stopped, or until the client gives up and closes its end.
    while (!stop_.load()) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, kSliceMs) <= 0) {
            continue;
        }
        char buffer[4096];
        if (::recv(fd, buffer, sizeof(buffer), 0) <= 0) {
            break;
        }
    }
    ::close(fd);
}

}  // namespace mapvale::testing
