#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace mapvale::testing {

// A loopback HTTP server in the test process for the one fault the stand-in servers cannot
// play: a server that goes silent. It answers the paths it is given (200 and the body) and holds
// every other request open without a further byte until it is stopped: by default it sends
// nothing at all; after StallWith it announces a body and stops part-way through it.
//
//   StallingServer server;
//   server.StallWith(100000, std::string(30000, 'x'));
//   ... fetch server.Url("/span.zip"): 30000 bytes arrive, then nothing ...
//
// Thread safety: Answer, StallWith and on_stall are set before requests come; the accessors may
// be read from any thread.
class StallingServer {
public:
    StallingServer();
    // Stop().
    ~StallingServer();
    StallingServer(const StallingServer&) = delete;
    StallingServer& operator=(const StallingServer&) = delete;

    bool ok() const { return port_ > 0; }
    // "127.0.0.1:<port>".
    std::string address() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(std::string_view path) const;

    // Requests for `path` (without the query) get 200 and `body`; the connection then closes.
    void Answer(const std::string& path, std::string body);
    // Requests for `path` get `raw` as it is (status line, headers, body; nothing added); the
    // connection then closes.
    void AnswerRaw(const std::string& path, std::string raw);
    // Held requests get a 200 announcing `announced` body bytes and then only `sent`.
    void StallWith(std::uint64_t announced, std::string sent);
    // Runs on the server's thread once a held request has been sent all it will get, with the
    // number of held requests so far (1 for the first).
    std::function<void(std::size_t held)> on_stall;

    // Request paths in the order they arrived, answered or held.
    std::vector<std::string> paths() const;
    // Requests held so far.
    std::size_t held() const { return held_.load(); }

    // Closes every connection and stops listening. Later calls do nothing.
    void Stop();

private:
    void AcceptLoop();
    void Serve(int fd);

    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> held_{0};
    std::map<std::string, std::string> answers_;
    std::map<std::string, std::string> raw_answers_;
    std::uint64_t announced_ = 0;
    std::string sent_;
    mutable std::mutex mutex_;
    std::vector<std::string> paths_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace mapvale::testing
