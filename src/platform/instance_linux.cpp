#include "platform/instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// Wire protocol of an endpoint, one request per connection, each a line of at most kMaxLine
// bytes: "PING\n" is answered "PONG\n"; "CLOSE\n" runs the close callback and is answered
// "OK\n" (nothing when the endpoint has no callback). Anything else closes the connection
// unanswered. Only peers running as the same user are served, and clients believe only
// endpoints of the same user: an abstract socket has no file permissions, so this is the check
// that keeps other users from closing our programs.

namespace mapvale::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How long Exists and RequestClose wait for an answer in all; a hung program is then "absent".
constexpr milliseconds kClientBudget(1000);
// How long an endpoint waits for a connected peer's request line.
constexpr milliseconds kPeerBudget(250);
constexpr std::size_t kMaxLine = 64;
// Connections served at once; more wait in the listen backlog.
constexpr std::size_t kMaxPeers = 16;
constexpr int kBacklog = 16;
// Longest lock file name part kept readable; longer ones are hashed.
constexpr std::size_t kMaxLockName = 160;

std::uint64_t Fnv1a64(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xf];
        value >>= 4;
    }
    return text;
}

// Percent-encodes every byte outside `keep` (and '%'), so distinct names stay distinct.
template <typename Keep>
std::string Encode(std::string_view text, Keep keep) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c != '%' && keep(byte)) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back("0123456789ABCDEF"[byte >> 4]);
            out.push_back("0123456789ABCDEF"[byte & 0xf]);
        }
    }
    return out;
}

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;
};

// "\0mapvale/<uid>/<scope>/<name>" with '/' and control bytes of scope and name encoded. When
// that does not fit a socket name it becomes "\0mapvale/<uid>#<64-bit hash of scope and name>",
// which no unhashed address can equal. Nothing for an empty name.
std::optional<SocketAddress> AddressOf(const std::string& scope, const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    const auto keep = [](unsigned char byte) { return byte > 0x20 && byte != 0x7f && byte != '/'; };
    const std::string user = "mapvale/" + std::to_string(getuid());
    const std::string scoped = Encode(scope, keep) + "/" + Encode(name, keep);
    SocketAddress result;
    const std::size_t room = sizeof(result.address.sun_path) - 1;  // after the leading NUL
    std::string text = user + "/" + scoped;
    if (text.size() > room) {
        text = user + "#" + Hex(Fnv1a64(scoped));
    }
    result.address.sun_family = AF_UNIX;
    std::memcpy(result.address.sun_path + 1, text.data(), text.size());
    result.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size());
    return result;
}

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool PeerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == getuid();
}

int MillisecondsUntil(steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, kClientBudget.count()));
}

void SendQuietly(int fd, std::string_view text) {
    // A peer that went away or stopped reading gets nothing; never SIGPIPE, never block.
    [[maybe_unused]] const ssize_t sent =
        send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

class SocketEndpoint final : public InstanceEndpoint {
  public:
    // Serves `listener` until destroyed; nothing when no thread could be started.
    static std::unique_ptr<SocketEndpoint> Create(Descriptor listener,
                                                  std::function<void()> on_close) {
        Descriptor wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (wake.get() < 0) {
            return nullptr;
        }
        std::unique_ptr<SocketEndpoint> endpoint(
            new SocketEndpoint(std::move(listener), std::move(wake), std::move(on_close)));
        try {
            endpoint->thread_ = std::thread([raw = endpoint.get()] { raw->Run(); });
        } catch (const std::system_error&) {
            return nullptr;
        }
        return endpoint;
    }

    // Must not be called from the close callback (the endpoint's own thread).
    ~SocketEndpoint() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wake_.get(), &one, sizeof one);
        thread_.join();
    }

    SocketEndpoint(const SocketEndpoint&) = delete;
    SocketEndpoint& operator=(const SocketEndpoint&) = delete;

  private:
    struct Peer {
        Descriptor fd;
        steady_clock::time_point deadline;
        std::string line;
    };

    SocketEndpoint(Descriptor listener, Descriptor wake, std::function<void()> on_close)
        : listener_(std::move(listener)), wake_(std::move(wake)), on_close_(std::move(on_close)) {}

    // The endpoint's thread: one poll over the wake-up descriptor, the listener and the peers
    // that have not sent their request yet.
    void Run() {
        std::vector<Peer> peers;
        std::vector<pollfd> watched;
        for (;;) {
            watched.clear();
            watched.push_back({wake_.get(), POLLIN, 0});
            const short accepting = peers.size() < kMaxPeers ? POLLIN : 0;
            watched.push_back({listener_.get(), accepting, 0});
            int timeout = -1;
            for (const Peer& peer : peers) {
                watched.push_back({peer.fd.get(), POLLIN, 0});
                const int left = MillisecondsUntil(peer.deadline);
                timeout = timeout < 0 ? left : std::min(timeout, left);
            }
            if (poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
                // Out of kernel memory: try again a little later rather than spin.
                std::this_thread::sleep_for(milliseconds(10));
                continue;
            }
            if (watched[0].revents != 0) {
                return;
            }
            for (std::size_t i = 0; i < peers.size(); ++i) {
                if (watched[i + 2].revents != 0) {
                    ReadFrom(peers[i]);
                }
            }
            const auto now = steady_clock::now();
            std::erase_if(peers, [now](const Peer& peer) {
                return peer.fd.get() < 0 || peer.deadline <= now;
            });
            if ((watched[1].revents & POLLIN) != 0) {
                Accept(peers);
            }
        }
    }

    void Accept(std::vector<Peer>& peers) {
        Descriptor fd(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (fd.get() < 0 || !PeerIsSameUser(fd.get())) {
            return;
        }
        peers.push_back({std::move(fd), steady_clock::now() + kPeerBudget, {}});
    }

    // Reads what the peer sent; answers and drops it once its line is complete, drops it on
    // end of file, error or an over-long line.
    void ReadFrom(Peer& peer) {
        char buffer[kMaxLine];
        const std::size_t room = kMaxLine - peer.line.size();
        const ssize_t got = recv(peer.fd.get(), buffer, room, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            peer.fd = Descriptor();
            return;
        }
        peer.line.append(buffer, static_cast<std::size_t>(got));
        const std::size_t end = peer.line.find('\n');
        if (end == std::string::npos) {
            if (peer.line.size() >= kMaxLine) {
                peer.fd = Descriptor();
            }
            return;
        }
        const std::string_view request(peer.line.data(), end);
        if (request == "PING") {
            SendQuietly(peer.fd.get(), "PONG\n");
        } else if (request == "CLOSE" && on_close_) {
            on_close_();
            SendQuietly(peer.fd.get(), "OK\n");
        }
        peer.fd = Descriptor();
    }

    Descriptor listener_;
    Descriptor wake_;
    const std::function<void()> on_close_;
    std::thread thread_;
};

// Sends `request` to the endpoint at `address` and returns its answer line (without '\n'), or
// nothing when no endpoint of this user answered within kClientBudget.
std::optional<std::string> Ask(const SocketAddress& address, std::string_view request) {
    const auto deadline = steady_clock::now() + kClientBudget;
    Descriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    // A blocking connect waits for room in a full backlog, at most this long.
    timeval limit{};
    limit.tv_sec = kClientBudget.count() / 1000;
    limit.tv_usec = static_cast<suseconds_t>((kClientBudget.count() % 1000) * 1000);
    setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int connected;
    do {
        connected =
            connect(fd.get(), reinterpret_cast<const sockaddr*>(&address.address), address.length);
    } while (connected < 0 && errno == EINTR);
    if (connected < 0 || !PeerIsSameUser(fd.get())) {
        return std::nullopt;
    }
    if (send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT) !=
        static_cast<ssize_t>(request.size())) {
        return std::nullopt;
    }
    std::string answer;
    for (;;) {
        const std::size_t end = answer.find('\n');
        if (end != std::string::npos) {
            answer.resize(end);
            return answer;
        }
        if (answer.size() >= kMaxLine) {
            return std::nullopt;
        }
        pollfd watched{fd.get(), POLLIN, 0};
        const int ready = poll(&watched, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char buffer[kMaxLine];
        const ssize_t got = recv(fd.get(), buffer, kMaxLine - answer.size(), MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        answer.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

SocketInstanceService::SocketInstanceService(std::string scope) : scope_(std::move(scope)) {}

std::string SocketInstanceService::DefaultScope() {
    const char* scope = std::getenv("MAPVALE_INSTANCE_SCOPE");
    return scope != nullptr ? scope : "";
}

std::unique_ptr<InstanceEndpoint> SocketInstanceService::Publish(const std::string& name,
                                                                 std::function<void()> on_close) {
    const auto address = AddressOf(scope_, name);
    if (!address) {
        return nullptr;
    }
    Descriptor listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (listener.get() < 0) {
        return nullptr;
    }
    // Binding is the claim: an abstract name is held exactly as long as a live socket has it, so
    // EADDRINUSE means a running program owns the name and a dead one never does.
    if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address->address),
             address->length) != 0 ||
        listen(listener.get(), kBacklog) != 0) {
        return nullptr;
    }
    return SocketEndpoint::Create(std::move(listener), std::move(on_close));
}

bool SocketInstanceService::Exists(const std::string& name) {
    const auto address = AddressOf(scope_, name);
    return address && Ask(*address, "PING\n") == "PONG";
}

bool SocketInstanceService::RequestClose(const std::string& name) {
    const auto address = AddressOf(scope_, name);
    return address && Ask(*address, "CLOSE\n") == "OK";
}

namespace {

// A file name part for a lock name: letters, digits, '.', '_' and '-' stay, every other byte is
// percent-encoded, and an over-long result keeps its start and gains a hash of the whole name.
std::string LockFileName(const std::string& name) {
    std::string encoded = Encode(name, [](unsigned char byte) {
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
               (byte >= '0' && byte <= '9') || byte == '.' || byte == '_' || byte == '-';
    });
    if (encoded.size() > kMaxLockName) {
        encoded = encoded.substr(0, kMaxLockName - 17) + "#" + Hex(Fnv1a64(name));
    }
    return encoded;
}

}  // namespace

std::unique_ptr<NamedLock> NamedLock::TryAcquire(const std::string& name,
                                                 const std::string& folder) {
    if (name.empty() || folder.find('\0') != std::string::npos) {
        return nullptr;
    }
    std::string path;
    if (!folder.empty()) {
        path = folder + "/mapvale-" + LockFileName(name) + ".lock";
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
               runtime != nullptr && runtime[0] == '/') {
        path = std::string(runtime) + "/mapvale-" + LockFileName(name) + ".lock";
    } else {
        // A shared folder: the user id keeps users apart. Always /tmp, not $TMPDIR, so that
        // programs started with different environments still meet.
        path = "/tmp/mapvale-" + std::to_string(getuid()) + "-" + LockFileName(name) + ".lock";
    }
    // Read-only is enough for flock. No symbolic links, and only a plain file of our own: in a
    // shared folder another user could otherwise hold our lock for us.
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.get() < 0) {
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
        return nullptr;
    }
    // The lock belongs to this open file description: a second TryAcquire in this same program
    // fails too, and started programs never inherit it (close-on-exec). The file is not removed
    // on release, since removing it would let two holders lock two different files.
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return nullptr;
    }
    return std::unique_ptr<NamedLock>(new NamedLock(fd.release()));
}

NamedLock::NamedLock(int fd) : fd_(fd) {}

NamedLock::~NamedLock() {
    close(fd_);
}

}  // namespace mapvale::platform
