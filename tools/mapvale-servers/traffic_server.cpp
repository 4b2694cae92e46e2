#include "mapvale-servers/traffic_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"

namespace mapvale::servers {

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& out) {
    text = platform::TrimText(text);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// Reads exactly `length` bytes, waiting at most 10 s for each piece.
bool ReadAll(int fd, char* out, std::size_t length) {
    while (length > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return false;
        }
        const ssize_t n = ::recv(fd, out, length, 0);
        if (n <= 0) {
            return false;
        }
        out += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// One whole message, checking the headers as the client does. Bounded by what a client may send.
std::optional<std::string> ReceiveMessage(int fd) {
    std::string message;
    std::size_t total = 0;
    bool first = true;
    std::uint32_t expected = 0;
    for (;;) {
        char header[net::kTrafficHeaderSize];
        if (!ReadAll(fd, header, sizeof header)) {
            return std::nullopt;
        }
        const auto parsed = net::ParseTrafficHeader(std::string_view(header, sizeof header));
        if (!parsed.tag_ok || parsed.payload_length > net::kTrafficMaxPayload ||
            (!first && parsed.packets_to_follow != expected)) {
            return std::nullopt;
        }
        if (first) {
            total = parsed.payload_length +
                    std::size_t{parsed.packets_to_follow} * net::kTrafficMaxPayload;
            if (total > (64u << 20)) {
                return std::nullopt;
            }
            first = false;
        }
        const std::size_t at = message.size();
        if (at + parsed.payload_length > total) {
            return std::nullopt;
        }
        message.resize(at + parsed.payload_length);
        if (!ReadAll(fd, message.data() + at, parsed.payload_length)) {
            return std::nullopt;
        }
        if (parsed.packets_to_follow == 0) {
            return message;
        }
        expected = parsed.packets_to_follow - 1;
    }
}

bool SendMessage(int fd, std::string_view message) {
    for (const std::string& packet : net::SplitTrafficMessage(message)) {
        if (!WriteAll(fd, packet)) {
            return false;
        }
    }
    return true;
}

std::optional<TrafficUploadRecord> ParseUpload(std::string_view payload) {
    if (payload.size() < 13) {
        return std::nullopt;
    }
    TrafficUploadRecord record;
    record.key = net::GetU32(payload, 2);
    record.kind = static_cast<std::uint16_t>(static_cast<unsigned char>(payload[6]) |
                                             static_cast<unsigned char>(payload[7]) << 8);
    const std::uint32_t count = net::GetU32(payload, 8);
    std::size_t offset = 13;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (offset + 5 > payload.size()) {
            return std::nullopt;
        }
        TrafficUploadRecord::File file;
        file.type = static_cast<std::uint8_t>(payload[offset]);
        const std::uint32_t size = net::GetU32(payload, offset + 1);
        offset += 5;
        if (size > payload.size() - offset) {
            return std::nullopt;
        }
        file.bytes = std::string(payload.substr(offset, size));
        offset += size;
        record.files.push_back(std::move(file));
    }
    return record;
}

}  // namespace

std::optional<TrafficServerConfig> TrafficServerConfig::Parse(std::string_view text) {
    TrafficServerConfig config;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = platform::TrimText(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view key = platform::TrimText(line.substr(0, eq));
        const std::string_view value = platform::TrimText(line.substr(eq + 1));
        if (key == "key") {
            if (!ParseNumber(value, config.issued_key)) {
                return std::nullopt;
            }
        } else if (key == "entry") {
            const std::size_t bar1 = value.find('|');
            const std::size_t bar2 = value.find('|', bar1 + 1);
            unsigned type = 0;
            unsigned remove = 0;
            if (bar1 == std::string_view::npos || bar2 == std::string_view::npos ||
                !ParseNumber(value.substr(0, bar1), type) ||
                !ParseNumber(value.substr(bar1 + 1, bar2 - bar1 - 1), remove) || type > 255 ||
                value.size() - bar2 - 1 > 255) {
                return std::nullopt;
            }
            config.wanted.push_back({static_cast<std::uint8_t>(type), remove != 0,
                                     std::string(value.substr(bar2 + 1))});
        } else if (key == "upload") {
            if (value == "accept") {
                config.upload = Upload::kAccept;
            } else if (value == "refuse") {
                config.upload = Upload::kRefuse;
            } else if (value == "drop") {
                config.upload = Upload::kDrop;
            } else {
                return std::nullopt;
            }
        } else if (key == "key-request") {
            config.drop_key_request = value == "drop";
        }
    }
    return config;
}

TrafficServer::TrafficServer(TrafficServerConfig config) : config_(std::move(config)) {}

TrafficServer::~TrafficServer() {
    Stop();
}

bool TrafficServer::Start(const std::string& address, std::uint16_t port) {
    sockaddr_in bind_address{};
    bind_address.sin_family = AF_INET;
    bind_address.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &bind_address.sin_addr) != 1) {
        return false;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&bind_address), sizeof bind_address) != 0 ||
        ::listen(listener_, 16) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        Stop();
        return false;
    }
    socklen_t length = sizeof bind_address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bind_address), &length);
    port_ = ntohs(bind_address.sin_port);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void TrafficServer::Stop() {
    if (thread_.joinable()) {
        const char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int* fd : {&listener_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void TrafficServer::Serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            Handle(client);
            ::close(client);
        }
    }
}

void TrafficServer::Handle(int client) {
    const auto message = ReceiveMessage(client);
    if (!message || message->empty()) {
        return;
    }
    if ((*message)[0] == 1) {
        const std::uint32_t key = message->size() >= 6 ? net::GetU32(*message, 2) : 0;
        {
            std::lock_guard lock(mutex_);
            key_requests_.push_back(key);
        }
        if (config_.drop_key_request) {
            return;
        }
        std::string answer;
        answer.push_back(1);
        answer.push_back(0);
        net::PutU32(answer, key != 0 ? key : config_.issued_key);
        answer.push_back(static_cast<char>(config_.wanted.size()));
        answer.append(4, '\0');
        for (const net::TrafficEntry& entry : config_.wanted) {
            answer.push_back(static_cast<char>(entry.type));
            answer.push_back(entry.delete_after_upload ? 1 : 0);
            answer.push_back(static_cast<char>(entry.name.size()));
            answer.append(entry.name);
        }
        SendMessage(client, answer);
        return;
    }
    if ((*message)[0] != 2) {
        return;
    }
    auto record = ParseUpload(*message);
    if (!record) {
        return;
    }
    record->accepted = config_.upload == TrafficServerConfig::Upload::kAccept;
    if (record->accepted && !config_.record_folder.empty()) {
        std::size_t index;
        {
            std::lock_guard lock(mutex_);
            index = uploads_.size();
        }
        const std::string folder =
            platform::JoinPath(config_.record_folder, "upload-" + std::to_string(index));
        platform::CreateFolderChain(folder);
        for (std::size_t i = 0; i < record->files.size(); ++i) {
            platform::WriteFileAtomic(
                platform::JoinPath(folder, std::to_string(i) + "-type" +
                                               std::to_string(record->files[i].type) + ".bin"),
                record->files[i].bytes);
        }
    }
    const auto mode = config_.upload;
    {
        std::lock_guard lock(mutex_);
        uploads_.push_back(std::move(*record));
    }
    if (mode == TrafficServerConfig::Upload::kDrop) {
        return;
    }
    std::string verdict;
    verdict.push_back(2);
    verdict.push_back(mode == TrafficServerConfig::Upload::kRefuse ? 1 : 0);
    SendMessage(client, verdict);
}

std::vector<TrafficUploadRecord> TrafficServer::uploads() const {
    std::lock_guard lock(mutex_);
    return uploads_;
}

std::vector<std::uint32_t> TrafficServer::key_requests() const {
    std::lock_guard lock(mutex_);
    return key_requests_;
}

}  // namespace mapvale::servers
