#include "net/web_post.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "model/messages.h"
#include "net/curl_easy.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/network.h"

namespace mapvale::net {

namespace {

// In-memory answers are short texts and lists; anything larger is not an answer of ours.
constexpr std::size_t kMaxAnswerBytes = 32u << 20;
constexpr std::chrono::milliseconds kReconnectWait(100);
constexpr std::size_t kReadSize = 256 * 1024;

bool IsFormSafe(unsigned char c) {
    const unsigned char lower = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
    return (lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9') || c == '&' || c == '.' ||
           c == '/' || c == ':' || c == '=' || c == '?' || c == '_';
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0x0F]);
}

std::string ToCp949(std::string_view utf8) {
    return platform::Utf8ToCp949(utf8, platform::InvalidBytes::kReplace).text;
}

bool IsFailureStatus(long status) {
    return status == 0 || (status >= 400 && status <= 599);
}

// Tells a transfer that has stalled (no byte of a body, either way, for the limit, also none
// before the first) from one that is only slow. Real time, as libcurl's own waits are; while
// nothing moves libcurl still looks in at least about once a second, so a stall is seen within a
// second of the limit.
class StallWatch {
public:
    void Start(std::chrono::milliseconds limit) {
        limit_ = limit;
        moved_ = 0;
        last_ = std::chrono::steady_clock::now();
    }
    // `received` and `sent`: the body bytes of the transfer so far.
    bool Stalled(curl_off_t received, curl_off_t sent) {
        const auto now = std::chrono::steady_clock::now();
        if (received + sent != moved_) {
            moved_ = received + sent;
            last_ = now;
            return false;
        }
        return now - last_ >= limit_;
    }

private:
    std::chrono::milliseconds limit_{0};
    curl_off_t moved_ = 0;
    std::chrono::steady_clock::time_point last_;
};

// The watch of a request or a probe: a stall, and a cancel when a flag is given, end it with
// CURLE_ABORTED_BY_CALLBACK.
struct TransferWatch {
    StallWatch stall;
    const std::atomic<bool>* cancel = nullptr;

    void Attach(CURL* easy, std::chrono::milliseconds limit) {
        stall.Start(limit);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    }
    static int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t,
                          curl_off_t sent) {
        auto* watch = static_cast<TransferWatch*>(user);
        const bool cancelled = watch->cancel != nullptr && watch->cancel->load();
        return cancelled || watch->stall.Stalled(received, sent) ? 1 : 0;
    }
};

// The end of a download attempt that is worth re-opening the connection for: the connection was
// aborted or reset while the answer came, or (once the server had answered) refused. A stall, a
// timeout and every other failure are not: re-opening would only wait for the same again.
bool IsDroppedConnection(CURLcode code, bool connected_once) {
    switch (code) {
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            return true;
        case CURLE_COULDNT_CONNECT:
            return connected_once;
        default:
            return false;
    }
}

// libcurl's failures, sorted onto the points where the request can fail (the result codes of
// SendRequestNoReply):
//   -3 the server cannot be reached: the name does not resolve, the connection is refused, no
//      route, or connecting timed out;
//   -4 the request cannot be formed: a malformed URL or an unsupported scheme;
//   -5 the secure channel cannot be set up: TLS handshake or certificate failures;
//   -6 the request was sent but no answer came back: send or receive errors, nothing received,
//      timeouts after connecting, and everything else.
int MapCurlFailure(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return CWebPOST::kConnectFailed;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return CWebPOST::kRequestFailed;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
            return CWebPOST::kSecurityFailed;
        default:
            return CWebPOST::kSendFailed;
    }
}

// Collects an answer body up to the bound.
size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t n = size * count;
    if (body->size() + n > kMaxAnswerBytes) {
        return 0;
    }
    body->append(data, n);
    return n;
}

// Stops the transfer at the first body byte: only the status is wanted.
size_t StopAtBody(char*, size_t size, size_t count, void* user) {
    if (size * count > 0) {
        *static_cast<bool*>(user) = true;
        return 0;
    }
    return 0;
}

// The host part of an absolute URL ("http://host:port/..."), for the connectivity check.
std::string_view UrlHost(std::string_view url) {
    const std::size_t scheme = url.find("://");
    std::string_view rest = scheme == std::string_view::npos ? url : url.substr(scheme + 3);
    return rest.substr(0, rest.find('/'));
}

// The complete length from "Content-Range: bytes */N" (or "bytes a-b/N"), or -1.
std::int64_t CompleteLengthOf(const std::string& content_range) {
    const std::size_t slash = content_range.rfind('/');
    if (slash == std::string::npos) {
        return -1;
    }
    std::int64_t value = -1;
    const char* begin = content_range.data() + slash + 1;
    const char* end = content_range.data() + content_range.size();
    while (end > begin && (end[-1] == '\r' || end[-1] == '\n' || end[-1] == ' ')) {
        --end;
    }
    auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end ? value : -1;
}

}  // namespace

std::string WebResponse::Text() const {
    std::string_view bytes(data);
    bytes = bytes.substr(0, bytes.find('\0'));
    return platform::Cp949ToUtf8(bytes, platform::InvalidBytes::kReplace).text;
}

int ReleaseWebResponse(std::unique_ptr<WebResponse>& response) {
    response.reset();
    return 1;
}

CWebPOST::CWebPOST()
    : connectivity_([](std::string_view host) {
          return platform::IsLoopbackHost(host) || platform::HasNetworkConnection();
      }),
      sleeper_(&platform::DefaultSleeper()),
      clock_(&platform::DefaultClock()) {}

CWebPOST::~CWebPOST() {
    cancel_.store(true);
    ClearParameters();
}

void CWebPOST::ClearParameters() {
    names_.clear();
    values_.clear();
}

void CWebPOST::AddParameter(std::string_view name, std::string_view value) {
    names_.emplace_back(name);
    values_.push_back(FormEncode(ToCp949(value)));
}

void CWebPOST::SetConnectivityCheck(std::function<bool(std::string_view host)> check) {
    connectivity_ = std::move(check);
}

std::string CWebPOST::ParameterString() const {
    std::string out;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (i > 0) {
            out.push_back('&');
        }
        out += names_[i];
        out.push_back('=');
        out += values_[i];
    }
    return out;
}

std::string CWebPOST::FormEncode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (IsFormSafe(c)) {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            AppendEscaped(out, c);
        }
    }
    return out;
}

std::string CWebPOST::EncodeHost(std::string_view host) {
    std::string out;
    for (unsigned char c : host) {
        if (IsFormSafe(c) || c == '-' || c == '[' || c == ']') {
            out.push_back(static_cast<char>(c));
        } else {
            AppendEscaped(out, c);
        }
    }
    return out;
}

std::string CWebPOST::EncodeUrl(std::string_view url) {
    const std::string bytes = ToCp949(url);
    const std::size_t scheme = bytes.find("://");
    if (scheme == std::string::npos) {
        return CollapseUrlSlashes(FormEncode(bytes));
    }
    const std::size_t host_start = scheme + 3;
    const std::size_t path_start = std::min(bytes.find('/', host_start), bytes.size());
    return CollapseUrlSlashes(
        FormEncode(bytes.substr(0, host_start)) +
        EncodeHost(std::string_view(bytes).substr(host_start, path_start - host_start)) +
        FormEncode(std::string_view(bytes).substr(path_start)));
}

int CWebPOST::Exchange(std::string_view host, std::string_view path, int port,
                       std::string_view verb, bool secure, std::string* body) {
    const std::string encoded_host = EncodeHost(ToCp949(host));
    std::string encoded_path = FormEncode(ToCp949(path));
    const std::string parameters = ParameterString();
    if (connectivity_ && !connectivity_(host)) {
        return kNoConnection;
    }
    CurlEasy curl;
    if (!curl) {
        return kOpenFailed;
    }
    if (verb == "GET") {
        encoded_path += '?' + parameters;
    }
    const bool tls = secure || port == 442;
    const std::string url = BuildUrl(encoded_host, encoded_path, port, tls);
    const std::string method(verb);
    if (curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str()) != CURLE_OK) {
        return kRequestFailed;
    }
    curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, method.c_str());
    // The form body goes with every verb, GET included.
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, parameters.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(parameters.size()));
    curl.AddHeader("Content-Type: application/x-www-form-urlencoded");
    curl.AddHeader("Expect:");
    // A stalled answer is a failed one.
    TransferWatch watch;
    watch.Attach(curl.get(), stall_limit_);

    bool stopped_at_body = false;
    if (body != nullptr) {
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &CollectBody);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, body);
    } else {
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &StopAtBody);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &stopped_at_body);
    }
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && stopped_at_body)) {
        return MapCurlFailure(code);
    }
    const long status = curl.Status();
    if (status == 0) {
        return kNoStatus;
    }
    return IsFailureStatus(status) ? kBadStatus : kOk;
}

int CWebPOST::SendRequest(std::string_view host, std::string_view path, WebResponse& out, int port,
                          std::string_view verb, bool secure) {
    std::string body;
    if (Exchange(host, path, port, verb, secure, &body) != kOk) {
        return 0;
    }
    out.length = static_cast<std::int32_t>(body.size());
    out.data = std::move(body);
    return 1;
}

int CWebPOST::SendRequestNoReply(std::string_view host, std::string_view path, int port,
                                 std::string_view verb, bool secure) {
    return Exchange(host, path, port, verb, secure, nullptr);
}

std::string CWebPOST::FetchText(std::string_view host, std::string_view path, std::string_view d1,
                                std::string_view d2, std::string_view d3, int port) {
    ClearParameters();
    AddParameter("D1", d1);
    AddParameter("D2", d2);
    AddParameter("D3", d3);
    WebResponse response;
    if (SendRequest(host, path, response, port, "GET", false) != 1) {
        return {};
    }
    return response.Text();
}

void CWebPOST::PostProgress(std::uint64_t bytes_this_call, std::uint64_t counter_file,
                            std::uint64_t counter_package) {
    if (progress_window_ == nullptr) {
        return;
    }
    progress_window_->Post(kMsgDownloadFileProgress, (bytes_this_call + counter_file) & 0xFFFFFFFFu,
                           progress_tag_);
    progress_window_->Post(kMsgDownloadProgress, (bytes_this_call + counter_package) / 1024,
                           static_cast<platform::LParam>(total_size_ / 1024));
}

// The state of one DownloadToFile call, shared with libcurl's callbacks.
struct CWebPOST::Download {
    CWebPOST* self = nullptr;
    int fd = -1;
    std::string path;
    bool resume = false;
    std::uint64_t counter_file = 0;
    std::uint64_t counter_package = 0;
    TransferStatus* status = nullptr;

    std::int64_t file_length = 0;  // bytes of the resource in the file now
    std::int64_t call_start = 0;   // bytes that were in the file when this call began
    std::int64_t range_start = 0;  // first byte asked for by the current attempt
    bool answer_checked = false;   // the current attempt's status was looked at
    bool past_end = false;
    bool cancelled = false;
    bool failed = false;  // a local write failed or the server refused the file
    std::string content_range;

    bool OpenForWriting(bool truncate) {
        if (fd >= 0 && !truncate) {
            return true;
        }
        if (fd < 0) {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0) {
                return false;
            }
        }
        if (truncate && ::ftruncate(fd, 0) != 0) {
            return false;
        }
        return ::lseek(fd, 0, truncate ? SEEK_SET : SEEK_END) >= 0;
    }

    // Looks at the status once body bytes arrive: 2xx goes on; a 200 where a range was asked
    // for means the server sends everything again, so the file starts over.
    bool CheckAnswer(long http_status) {
        answer_checked = true;
        if (http_status == 416 && range_start > 0) {
            // Nothing is left after the asked range start; whether the file is complete is told
            // by the answer's Content-Range once the transfer is over.
            past_end = true;
            return true;
        }
        if (http_status / 100 != 2) {
            return false;
        }
        if (range_start > 0 && http_status == 200) {
            file_length = 0;
            call_start = 0;
            return OpenForWriting(true);
        }
        return OpenForWriting(!resume && range_start == 0);
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* d = static_cast<Download*>(user);
        const size_t n = size * count;
        if (d->self->cancel_.load()) {
            d->cancelled = true;
            return 0;
        }
        if (!d->answer_checked) {
            long http_status = 0;
            curl_easy_getinfo(d->easy, CURLINFO_RESPONSE_CODE, &http_status);
            if (!d->CheckAnswer(http_status)) {
                d->failed = true;
                return 0;
            }
        }
        if (d->past_end) {
            return n;  // the text of a 416 answer is not part of the file
        }
        // libcurl hands over what one socket read brought; the file is written, reported and
        // checked for cancel in blocks of kBlockSize within it.
        for (size_t done = 0; done < n;) {
            const size_t block = std::min(kBlockSize, n - done);
            if (!d->WriteBlock(data + done, block)) {
                return 0;
            }
            done += block;
        }
        return n;
    }

    // Writes one block, reports it and looks at the cancel flag. False to stop the transfer.
    bool WriteBlock(const char* data, size_t length) {
        if (!platform::WriteFully(fd, std::string_view(data, length))) {
            self->last_write_error_ = errno;
            failed = true;
            return false;
        }
        file_length += static_cast<std::int64_t>(length);
        const auto this_call = static_cast<std::uint64_t>(file_length - call_start);
        if (status != nullptr) {
            if (status->state != nullptr) {
                status->state->store(FileStatus::kDownloading);
            }
            if (status->percent != nullptr && status->total > 0) {
                status->percent->store(static_cast<std::int32_t>(
                    (static_cast<std::int64_t>(this_call) + status->base_offset) * 100 /
                    status->total));
            }
        }
        self->PostProgress(this_call, counter_file, counter_package);
        if (self->cancel_.load()) {
            cancelled = true;
            return false;
        }
        return true;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* d = static_cast<Download*>(user);
        const std::string_view line(data, size * count);
        constexpr std::string_view kContentRange = "content-range:";
        if (line.size() > kContentRange.size()) {
            std::string name(line.substr(0, kContentRange.size()));
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (name == kContentRange) {
                d->content_range = std::string(line.substr(kContentRange.size()));
            }
        }
        return size * count;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t,
                          curl_off_t sent) {
        auto* d = static_cast<Download*>(user);
        if (d->self->cancel_.load()) {
            d->cancelled = true;
            return 1;
        }
        return d->stall.Stalled(received, sent) ? 1 : 0;
    }

    StallWatch stall;

    CURL* easy = nullptr;
};

int CWebPOST::DownloadToFile(std::string_view url, std::string_view local_path, bool resume,
                             std::uint64_t* progress_bytes, std::uint64_t* progress_package_bytes,
                             TransferStatus* status) {
    const std::string encoded_url = EncodeUrl(url);
    last_write_error_ = 0;
    Download d;
    d.self = this;
    d.path = platform::NormalizePath(local_path);
    d.resume = resume;
    d.counter_file = progress_bytes != nullptr ? *progress_bytes : 0;
    d.counter_package = progress_package_bytes != nullptr ? *progress_package_bytes : 0;
    d.status = status;

    const std::size_t slash = d.path.rfind('/');
    if (slash != std::string::npos && slash > 0 &&
        !platform::CreateFolderChain(d.path.substr(0, slash))) {
        return 0;
    }
    if (resume) {
        if (!d.OpenForWriting(false)) {
            if (d.fd >= 0) {
                ::close(d.fd);
            }
            return 0;
        }
        d.file_length = ::lseek(d.fd, 0, SEEK_END);
        d.call_start = d.file_length;
    }
    if (connectivity_ && !connectivity_(UrlHost(url))) {
        if (d.fd >= 0) {
            ::close(d.fd);
        }
        return 0;
    }

    busy_.store(true);
    int result = 0;
    bool connected_once = false;
    int fruitless = 0;
    std::int64_t furthest = d.file_length;
    std::uint64_t furthest_at = clock_->TickCount();
    for (;;) {
        if (cancel_.load()) {
            break;
        }
        CurlEasy curl;
        if (!curl) {
            break;
        }
        d.easy = curl.get();
        d.answer_checked = false;
        d.past_end = false;
        d.content_range.clear();
        d.range_start = d.file_length;
        curl_easy_setopt(curl.get(), CURLOPT_URL, encoded_url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
        // Large socket reads cost fewer system calls; the blocks are cut from them.
        curl_easy_setopt(curl.get(), CURLOPT_BUFFERSIZE, static_cast<long>(kReadSize));
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Download::OnBody);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &d);
        curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, &Download::OnHeader);
        curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &d);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &Download::OnProgress);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &d);
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
        // A connection that stops delivering fails the call; the caller decides whether to try
        // again.
        d.stall.Start(stall_limit_);
        std::string range;
        if (d.range_start > 0) {
            range = std::to_string(d.range_start) + "-";
            curl_easy_setopt(curl.get(), CURLOPT_RANGE, range.c_str());
        }

        const CURLcode code = curl_easy_perform(curl.get());
        const long http_status = curl.Status();
        if (http_status != 0) {
            connected_once = true;
        }
        if (d.cancelled || cancel_.load() || d.failed) {
            break;
        }
        if (code == CURLE_OK) {
            if (!d.answer_checked && !d.CheckAnswer(http_status)) {
                break;
            }
            // A range starting at the resource's end means the file already was complete.
            result = !d.past_end || CompleteLengthOf(d.content_range) == d.range_start ? 1 : 0;
            break;
        }
        if (!connected_once || !IsDroppedConnection(code, connected_once)) {
            break;
        }
        // Only an attempt that took the file further than ever counts as progress: a server
        // that ignores ranges and drops every answer part-way would otherwise go on for ever.
        const std::uint64_t now = clock_->TickCount();
        if (d.file_length > furthest) {
            fruitless = 0;
            furthest = d.file_length;
            furthest_at = now;
        } else {
            ++fruitless;
        }
        const auto without_progress = std::chrono::milliseconds(now - furthest_at);
        if (fruitless > kMaxFruitlessReconnects || without_progress >= kReconnectPatience) {
            break;
        }
        if (status != nullptr && status->state != nullptr) {
            status->state->store(FileStatus::kReconnecting);
        }
        sleeper_->Sleep(kReconnectWait);
    }

    if (d.fd >= 0) {
        if (::close(d.fd) != 0) {
            last_write_error_ = errno;
            result = 0;
        }
    }
    if (result == 1) {
        const auto total = static_cast<std::uint64_t>(d.file_length - d.call_start);
        if (progress_bytes != nullptr) {
            *progress_bytes += total;
        }
        if (progress_package_bytes != nullptr) {
            *progress_package_bytes += total;
        }
    }
    busy_.store(false);
    return result;
}

int CWebPOST::ProbeUrl(std::string_view url, std::string_view local_path, bool create,
                       std::uint64_t* size) {
    if (cancel_.load()) {
        return 0;
    }
    if (create) {
        const std::string path = platform::NormalizePath(local_path);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
        }
    }
    CurlEasy curl;
    if (!curl) {
        return 0;
    }
    const std::string encoded_url = EncodeUrl(url);
    bool stopped_at_body = false;
    curl_easy_setopt(curl.get(), CURLOPT_URL, encoded_url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &StopAtBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &stopped_at_body);
    // A server that accepts and never answers must not hold the caller for ever.
    TransferWatch watch;
    watch.cancel = &cancel_;
    watch.Attach(curl.get(), stall_limit_);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && stopped_at_body)) {
        return 0;
    }
    const long http_status = curl.Status();
    const curl_off_t length = curl.ContentLength();
    if (size != nullptr && length >= 0) {
        *size = static_cast<std::uint64_t>(length);
    }
    return http_status == 416 || !IsFailureStatus(http_status) ? 1 : 0;
}

}  // namespace mapvale::net
