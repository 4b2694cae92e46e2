#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/traffic_packet.h"

namespace mapvale::servers {

// How the stand-in traffic server answers.
struct TrafficServerConfig {
    std::uint32_t issued_key = 20240510;  // handed out to a client that knows no key
    std::vector<net::TrafficEntry> wanted;  // what the key answer asks for
    enum class Upload { kAccept, kRefuse, kDrop } upload = Upload::kAccept;
    bool drop_key_request = false;  // close the connection instead of answering the key request
    std::string record_folder;      // where accepted uploads are written; empty = not written

    // Reads "traffic.conf" text:
    //   key = 20240510
    //   entry = <type>|<delete 0/1>|<relative name>     (repeatable, in order)
    //   upload = accept | refuse | drop
    //   key-request = answer | drop
    // Unknown lines are ignored; nothing when a line is malformed.
    static std::optional<TrafficServerConfig> Parse(std::string_view text);
};

// What the server received, for tests and the request log.
struct TrafficUploadRecord {
    std::uint32_t key = 0;
    std::uint16_t kind = 0;  // 0x0140, or 0x1140 for a TARNO unit
    struct File {
        std::uint8_t type = 0;
        std::string bytes;
    };
    std::vector<File> files;
    bool accepted = false;
};

// The traffic-information server: TCP, "TRA01" messages. A key request is answered with the
// client's key (or the issued one) and the wanted entries; an upload is recorded and answered
// with the configured verdict.
//
// Thread safety: Start/Stop from one thread; the accessors from any.
class TrafficServer {
public:
    explicit TrafficServer(TrafficServerConfig config);
    ~TrafficServer();
    TrafficServer(const TrafficServer&) = delete;
    TrafficServer& operator=(const TrafficServer&) = delete;

    // Listens on `address`:`port` (port 0 = any free one). False when it cannot.
    bool Start(const std::string& address, std::uint16_t port);
    void Stop();
    std::uint16_t port() const { return port_; }

    std::vector<TrafficUploadRecord> uploads() const;
    std::vector<std::uint32_t> key_requests() const;  // the key each request carried

private:
    void Serve();
    void Handle(int client);

    TrafficServerConfig config_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<TrafficUploadRecord> uploads_;
    std::vector<std::uint32_t> key_requests_;
};

}  // namespace mapvale::servers
