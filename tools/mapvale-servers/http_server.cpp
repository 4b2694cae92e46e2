#include "mapvale-servers/http_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

#include "mapvale-servers/body_shaper.h"
#include "mapvale-servers/connection_stream.h"
#include "mapvale-servers/request_log.h"
#include "mapvale-servers/request_text.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {

// What the server knows about the request a connection thread is working on, beyond httplib's
// request and response.
struct RequestState {
    std::uint64_t number = 0;  // 0 until taken
    int refusal = 0;           // a status to answer instead of routing (a bad or huge body)
    bool must_close = false;   // the connection cannot carry another request
    bool answered = false;     // Dispatch ran; otherwise httplib answered by itself
    std::optional<std::uint64_t> length;
    BodyTally tally;
};

namespace {

using std::chrono::milliseconds;

constexpr std::size_t kConnectionThreads = 32;
constexpr std::size_t kRequestsPerConnection = 100;
constexpr milliseconds kKeepAliveTimeout(5000);
constexpr ConnectionStream::Timeouts kTimeouts{milliseconds(30000), milliseconds(30000)};
// POST bodies (forms, uploads), which httplib reads itself; larger ones get 413.
constexpr std::size_t kMaxPostBody = 16 * 1024 * 1024;
// Form bodies of other verbs, which this server reads itself: the same bound httplib puts on
// form-encoded POST bodies.
constexpr std::size_t kMaxFormBody = CPPHTTPLIB_FORM_URL_ENCODED_PAYLOAD_MAX_LENGTH;
// Answer bodies held in memory go out in pieces of this size, so that pacing and cuts apply.
constexpr std::size_t kMemoryPiece = 64 * 1024;

// httplib hands handlers and its logger only the request and the response. The connection
// thread that runs them publishes the state of its current request here; it is set for the
// whole of one request and only that thread reads it.
thread_local RequestState* current_state = nullptr;

RequestState& CurrentState() {
    if (current_state == nullptr) {
        // Not reached: every request runs inside Serve. Keeps a stray call harmless.
        static thread_local RequestState spare;
        spare = RequestState{};
        return spare;
    }
    return *current_state;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Payload Too Large";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        default:
            return "Status";
    }
}

// Fields of a form-encoded text, as UTF-8 from the client's CP949.
std::vector<FormField> DecodeFields(std::string_view urlencoded) {
    std::vector<FormField> fields = ParseFormFields(urlencoded);
    for (FormField& field : fields) {
        field.name = platform::Cp949ToUtf8(field.name, platform::InvalidBytes::kReplace).text;
        field.value = platform::Cp949ToUtf8(field.value, platform::InvalidBytes::kReplace).text;
    }
    return fields;
}

bool HttplibReadsBody(const std::string& method) {
    return method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE" ||
           method == "PRI";
}

}  // namespace

// httplib's server with the connection loop replaced: httplib parses requests and writes
// answers, this class owns the sockets (see ConnectionStream) and what happens between requests.
class HttpServer::Engine final : public httplib::Server {
public:
    explicit Engine(HttpServer& owner) : owner_(owner) {}

    bool ProcessRequest(httplib::Stream& stream, bool close_connection, bool& connection_closed,
                        const std::function<void(httplib::Request&)>& setup) {
        return process_request(stream, close_connection, connection_closed, setup);
    }

    // Makes the accept loop end, also when it has not started yet (httplib's stop() does
    // nothing then, and the loop would run forever).
    void CloseListener() {
        const socket_t socket = svr_sock_.exchange(INVALID_SOCKET);
        if (socket != INVALID_SOCKET) {
            ::shutdown(socket, SHUT_RDWR);
            ::close(socket);
        }
    }

private:
    bool process_and_close_socket(socket_t socket) override { return owner_.Serve(socket); }

    HttpServer& owner_;
};

HttpServer::HttpServer(FaultPlan& faults, RequestLog* log, const platform::Clock& clock)
    : faults_(faults), log_(log), clock_(clock), engine_(std::make_unique<Engine>(*this)) {
    if (::pipe2(stop_pipe_, O_CLOEXEC) != 0) {
        stop_pipe_[0] = stop_pipe_[1] = -1;
    }
    engine_->new_task_queue = [] { return new httplib::ThreadPool(kConnectionThreads); };
    engine_->set_payload_max_length(kMaxPostBody);
    // Only announced in the Keep-Alive header; Serve enforces them.
    engine_->set_keep_alive_max_count(kRequestsPerConnection);
    engine_->set_keep_alive_timeout(
        std::chrono::duration_cast<std::chrono::seconds>(kKeepAliveTimeout).count());
    // "[\s\S]" and not ".": a decoded path may hold a line break.
    const auto dispatch = [this](const httplib::Request& request, httplib::Response& response) {
        Dispatch(request, response);
    };
    engine_->Get(R"([\s\S]*)", dispatch);
    engine_->Post(R"([\s\S]*)", dispatch);
    engine_->set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        Log(request, response);
    });
}

HttpServer::~HttpServer() {
    engine_->CloseListener();
    for (const int fd : stop_pipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void HttpServer::AddHandler(std::string path_glob, Handler handler) {
    routes_.push_back({std::move(path_glob), std::move(handler)});
}

void HttpServer::SetFallback(Handler handler) {
    fallback_ = std::move(handler);
}

bool HttpServer::Bind(const ListenAddress& address, std::string& error) {
    if (stop_pipe_[0] < 0) {
        error = "cannot create a pipe: " + std::string(std::strerror(errno));
        return false;
    }
    if (stopping()) {
        error = "the server is stopping";
        return false;
    }
    if (address.port == 0) {
        port_ = engine_->bind_to_any_port(address.host);
    } else if (engine_->bind_to_port(address.host, address.port)) {
        port_ = address.port;
    } else {
        port_ = -1;
    }
    if (port_ <= 0) {
        port_ = 0;
        error = "cannot listen on " + address.ToString() +
                " (the address is in use or not one of this machine's)";
        return false;
    }
    return true;
}

bool HttpServer::Run() {
    if (stopping()) {
        engine_->CloseListener();
        return true;
    }
    return engine_->listen_after_bind();
}

void HttpServer::Stop() {
    {
        std::lock_guard lock(stop_mutex_);
        if (stopping_.exchange(true)) {
            return;
        }
    }
    stop_changed_.notify_all();
    if (stop_pipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(stop_pipe_[1], &byte, 1);
    }
    engine_->CloseListener();
}

bool HttpServer::Pause(milliseconds duration) {
    std::unique_lock lock(stop_mutex_);
    return !stop_changed_.wait_for(lock, duration, [this] { return stopping_.load(); });
}

std::string HttpServer::RoutePath(const httplib::Request& request) {
    std::string path = platform::NormalizePath(RequestTextToUtf8(request.path));
    if (path.empty() || path.front() != '/') {
        path.insert(path.begin(), '/');
    }
    return path;
}

void HttpServer::SetStatusAnswer(httplib::Response& response, int status) {
    response.status = status;
    response.set_content(std::to_string(status) + " " + ReasonPhrase(status) + "\n", "text/plain");
}

bool HttpServer::Serve(int socket) {
    ConnectionStream stream(socket, stop_pipe_[0], kTimeouts);
    bool drain = false;
    for (std::size_t served = 0; served < kRequestsPerConnection; ++served) {
        if (stopping() || !stream.WaitForRequest(kKeepAliveTimeout)) {
            break;
        }
        RequestState state;
        current_state = &state;
        bool connection_closed = false;
        const bool ok = engine_->ProcessRequest(
            stream, served + 1 == kRequestsPerConnection, connection_closed,
            [&](httplib::Request& request) { Prepare(request, stream, state); });
        current_state = nullptr;
        if (!ok || connection_closed || state.must_close) {
            drain = true;
            break;
        }
    }
    stream.Close(drain && !stopping());
    return true;
}

void HttpServer::Prepare(httplib::Request& request, ConnectionStream& stream, RequestState& state) {
    state.number = ++requests_taken_;
    request.ranges.clear();
    // httplib takes a multipart body apart itself and keeps no bytes of it; the stand-ins read
    // it whole, so that their handlers can check it byte by byte.
    const bool multipart = request.method == "POST" && request.is_multipart_form_data();
    if (HttplibReadsBody(request.method) && !multipart) {
        return;
    }
    if (request.has_header("Transfer-Encoding")) {
        // A chunked body on GET is legal but unheard of from the client; it stays unread, so
        // the connection cannot carry another request.
        state.must_close = true;
        return;
    }
    if (!request.has_header("Content-Length")) {
        return;
    }
    const std::string length_text = request.get_header_value("Content-Length");
    std::size_t length = 0;
    bool valid = !length_text.empty() && length_text.size() <= 18;
    for (const char c : length_text) {
        valid = valid && c >= '0' && c <= '9';
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (!valid || length > (multipart ? kMaxPostBody : kMaxFormBody)) {
        state.refusal = valid ? 413 : 400;
        state.must_close = true;
        return;
    }
    if (length == 0) {
        return;
    }
    if (EqualsIgnoringCase(request.get_header_value("Expect"), "100-continue")) {
        // Answered here, before the body is read; httplib must not answer it a second time.
        if (!stream.WriteAll("HTTP/1.1 100 Continue\r\n\r\n")) {
            state.refusal = 400;
            state.must_close = true;
            return;
        }
        request.headers.erase("Expect");
    }
    if (!stream.ReadExact(length, request.body)) {
        state.refusal = 400;
        state.must_close = true;
        return;
    }
    if (multipart) {
        // Nothing left for httplib to read or parse; the type stays readable under its own name.
        request.headers.emplace(std::string(kRawContentType),
                                request.get_header_value("Content-Type"));
        request.headers.erase("Content-Type");
        request.headers.erase("Content-Length");
        request.headers.emplace("Content-Length", "0");
    }
}

void HttpServer::Dispatch(const httplib::Request& request, httplib::Response& response) {
    RequestState& state = CurrentState();
    const std::string path = RoutePath(request);
    if (state.refusal != 0) {
        SetStatusAnswer(response, state.refusal);
    } else if (const auto injected = faults_.InjectedStatus(path)) {
        SetStatusAnswer(response, *injected);
    } else {
        const Route* route = nullptr;
        for (const Route& candidate : routes_) {
            if (PathMatchesGlob(path, candidate.glob)) {
                route = &candidate;
                break;
            }
        }
        if (route != nullptr) {
            route->handler(request, response);
        } else if (fallback_) {
            fallback_(request, response);
        } else {
            SetStatusAnswer(response, 404);
        }
    }
    FinishAnswer(request, response, state, path);
}

void HttpServer::FinishAnswer(const httplib::Request& request, httplib::Response& response,
                              RequestState& state, const std::string& path) {
    state.answered = true;
    if (state.must_close) {
        response.set_header("Connection", "close");
    }
    if (!response.body.empty()) {
        // Bodies held in memory are streamed too, so that faults and counting apply to every
        // answer. (This also keeps httplib from compressing them.)
        auto body = std::make_shared<const std::string>(std::move(response.body));
        response.body.clear();
        std::string type = response.get_header_value("Content-Type");
        response.headers.erase("Content-Type");
        if (type.empty()) {
            type = "application/octet-stream";
        }
        response.set_content_provider(
            body->size(), type,
            [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return sink.write(body->data() + offset, std::min(length, kMemoryPiece));
            });
    }
    // httplib keeps the provider and the announced length in members it marks private but
    // leaves public; reading them and wrapping the provider is what makes one place apply the
    // faults to every handler's answer.
    if (!response.content_provider_) {
        state.length = 0;
        return;
    }
    if (!response.is_chunked_content_provider_) {
        state.length = response.content_length_;
    }
    if (request.method == "HEAD") {
        return;
    }
    BodyShape shape;
    shape.bytes_per_second = faults_.options().throttle_bytes_per_second;
    shape.cut_after = faults_.CutAfter(path);
    if (shape.cut_after && state.length && *shape.cut_after >= *state.length) {
        // Too short to cut: it goes out whole and the connection ends after it.
        shape.cut_after.reset();
        state.must_close = true;
        response.set_header("Connection", "close");
    }
    response.content_provider_ =
        ShapeBody(std::move(response.content_provider_), shape, state.tally, clock_,
                  [this](milliseconds duration) { return Pause(duration); });
}

void HttpServer::Log(const httplib::Request& request, const httplib::Response& response) {
    RequestState& state = CurrentState();
    if (state.number == 0) {
        state.number = ++requests_taken_;  // refused by httplib before Prepare
    }
    if (log_ == nullptr) {
        return;
    }
    RequestLogEntry entry;
    entry.number = state.number;
    entry.method = request.method;
    entry.path = platform::Cp949ToUtf8(request.path, platform::InvalidBytes::kReplace).text;
    const std::size_t question = request.target.find('?');
    if (question != std::string::npos) {
        entry.query = DecodeFields(std::string_view(request.target).substr(question + 1));
    }
    const std::string type = request.get_header_value("Content-Type");
    if (!request.body.empty() &&
        (type.empty() || type.rfind("application/x-www-form-urlencoded", 0) == 0)) {
        entry.form = DecodeFields(request.body);
    }
    entry.range = request.get_header_value("Range");
    entry.status = response.status;
    const bool head = request.method == "HEAD";
    if (state.answered) {
        entry.length = state.length;
        entry.sent = state.tally.sent;
        if (state.tally.cut) {
            entry.outcome = "cut";
        } else if (head) {
            entry.outcome = "ok";
        } else if (state.length) {
            entry.outcome = state.tally.sent == *state.length ? "ok" : "failed";
        } else {
            entry.outcome = state.tally.done ? "ok" : "failed";
        }
    } else {
        // httplib's own answers (a bad request line, a bad Range, a huge POST body) are short
        // texts written in one piece.
        entry.length = response.body.size();
        entry.sent = head ? 0 : response.body.size();
        entry.outcome = "ok";
    }
    log_->Append(entry);
}

}  // namespace mapvale::servers
