#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mapvale::testing {

// The stand-in servers program (`mapvale-servers`) running in a process of its own, for tests
// that need real servers on loopback:
//
//   ServerProcess server({"serve", "--content", sandbox.Path("content")});
//   ASSERT_TRUE(server.ok()) << server.error();
//   ... fetch server.Url("/maps/a.zip") ...
//
// The program is `$MAPVALE_PROGRAM_DIR/mapvale-servers` (ctest sets the variable). The
// arguments get "--listen 127.0.0.1:0" unless they name a --listen, and always
// "--stop-on-stdin-eof": the program then also ends when this test process dies, instead of
// living on (and holding ctest's output pipe open). Its standard error passes through to the
// test's. Arguments that name a --traffic-listen make it wait for the traffic server's line too
// ("traffic listening on HOST:PORT"), whose port traffic_port() then gives.
//
// Thread safety: one thread at a time.
class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> arguments,
                           std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Stop().
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // True once the program said it is listening.
    bool ok() const { return port_ > 0; }
    // Why it is not ok().
    const std::string& error() const { return error_; }

    const std::string& host() const { return host_; }
    int port() const { return port_; }
    // The traffic server's port; 0 unless the arguments name a --traffic-listen.
    int traffic_port() const { return traffic_port_; }
    // "127.0.0.1:<port>", as Info/Servers.ini takes a host.
    std::string address() const { return host_ + ":" + std::to_string(port_); }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(std::string_view path) const;
    pid_t pid() const { return pid_; }

    // Sends SIGTERM and waits up to `timeout` for the program to end (then kills it). Returns
    // its exit status, 128 + the signal when a signal ended it, or -1 when it never started or
    // had to be killed. Later calls return the same.
    int Stop(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Where the program is expected: $MAPVALE_PROGRAM_DIR/mapvale-servers.
    static std::string ProgramPath();

private:
    pid_t pid_ = -1;
    int stdin_fd_ = -1;   // our end of its standard input
    int stdout_fd_ = -1;  // our end of its standard output
    std::string host_;
    int port_ = 0;
    int traffic_port_ = 0;
    std::string error_;
    std::optional<int> exit_status_;
};

// A child's exit status from waitpid's status: its exit code, 128 + the signal that ended it,
// or -1.
int ExitStatusOf(int status);

// One line of a request log (`serve --request-log FILE`); see tools/mapvale-servers/request_log.h
// for the fields.
struct LoggedRequest {
    std::uint64_t number = 0;
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> query;
    std::vector<std::pair<std::string, std::string>> form;
    std::string range;
    int status = 0;
    std::optional<std::uint64_t> length;
    std::uint64_t sent = 0;
    std::string outcome;

    // The first query field, then the first form field, called `name`; nothing when neither has
    // one.
    std::optional<std::string> Parameter(std::string_view name) const;
};

// Every complete line of a request log, ordered by request number. Lines are written when their
// answers end, which is after the client has its answer and not always in the order the requests
// came; a test waits for the count it expects (WaitUntil) before it looks.
std::vector<LoggedRequest> ReadRequestLog(const std::filesystem::path& file);

}  // namespace mapvale::testing
