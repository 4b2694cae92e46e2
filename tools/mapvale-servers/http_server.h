#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "mapvale-servers/fault_plan.h"
#include "mapvale-servers/listen_address.h"
#include "platform/clock.h"

namespace mapvale::servers {

class ConnectionStream;
class RequestLog;
struct RequestState;

// An HTTP/1.1 server for the stand-in servers, on cpp-httplib, with the request handling the
// maker's client needs and the faults tests ask for:
// - the form body of every verb is read (httplib reads bodies only for POST and its kin, but the
//   client sends its form with GET too); for GET and HEAD it lands in `request.body`, for POST
//   httplib also parses it into `request.params`;
// - Range headers are left to the handlers: `request.ranges` is always empty (httplib's own
//   range handling neither answers 416 nor can be told to ignore a range);
// - every answer body is streamed through the fault plan (status injection, throttle, reset)
//   and counted for the request log.
//
// Routing: GET, HEAD and POST requests go to the first handler whose glob matches RoutePath();
// HEAD runs the handler and drops the body. A request no handler takes goes to the fallback
// (404 without one). Other verbs get httplib's 404.
//
// Thread safety: add handlers and Bind before Run, which blocks on one thread. Stop may be
// called from any thread at any time, also before Run. Handlers run on connection threads,
// several at once.
class HttpServer {
public:
    // A multipart POST body is read whole into `request.body` (up to 16 MiB), and its
    // Content-Type is found under this name instead.
    static constexpr std::string_view kRawContentType = "X-Raw-Content-Type";

    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // `faults`, `log` (null for none) and `clock` must outlive the server.
    HttpServer(FaultPlan& faults, RequestLog* log,
               const platform::Clock& clock = platform::DefaultClock());
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void AddHandler(std::string path_glob, Handler handler);
    void SetFallback(Handler handler);

    // Opens the listening socket; false with `error` set when the address cannot be used.
    bool Bind(const ListenAddress& address, std::string& error);
    // The port bound (the one the system chose for port 0); 0 before Bind.
    int port() const { return port_; }
    // Answers requests until Stop. False when the listening socket failed.
    bool Run();
    // Ends Run: no new connections, open connections end at their next wait, paced bodies stop.
    void Stop();
    bool stopping() const { return stopping_.load(); }
    // Waits `duration`, or less when the server stops; false when it stopped. For handlers that
    // pace their answers.
    bool Pause(std::chrono::milliseconds duration);

    // The path handlers route on: URL-decoded, as UTF-8 (see RequestTextToUtf8), '\' read as
    // '/', doubled separators collapsed, with a leading '/' (clients may omit it).
    static std::string RoutePath(const httplib::Request& request);
    // A one-line text answer, "<status> <reason>\n".
    static void SetStatusAnswer(httplib::Response& response, int status);

private:
    class Engine;
    struct Route {
        std::string glob;
        Handler handler;
    };

    bool Serve(int socket);
    void Prepare(httplib::Request& request, ConnectionStream& stream, RequestState& state);
    void Dispatch(const httplib::Request& request, httplib::Response& response);
    void FinishAnswer(const httplib::Request& request, httplib::Response& response,
                      RequestState& state, const std::string& path);
    void Log(const httplib::Request& request, const httplib::Response& response);

    FaultPlan& faults_;
    RequestLog* log_;
    const platform::Clock& clock_;
    std::vector<Route> routes_;
    Handler fallback_;
    std::unique_ptr<Engine> engine_;
    int port_ = 0;
    std::atomic<std::uint64_t> requests_taken_{0};

    std::atomic<bool> stopping_{false};
    std::mutex stop_mutex_;
    std::condition_variable stop_changed_;
    // Written once by Stop and never read: its read end stays readable, which wakes every poll
    // of every connection.
    int stop_pipe_[2] = {-1, -1};
};

}  // namespace mapvale::servers
