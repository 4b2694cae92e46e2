#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_entry.h"
#include "platform/clock.h"
#include "platform/message_target.h"

namespace mapvale::net {

// An in-memory answer: the body bytes exactly as the server sent them (CP949 for the maker's
// texts).
struct WebResponse {
    std::int32_t length = 0;
    std::string data;

    // The body as UTF-8 text, up to its first zero byte; bytes that are not CP949 become '?'.
    std::string Text() const;
};

// Frees an answer and empties the caller's pointer; a null pointer is fine. Always 1.
int ReleaseWebResponse(std::unique_ptr<WebResponse>& response);

// Where a file download reports how its file stands, for the list on screen: the state becomes
// kReconnecting while a dropped connection is re-opened and kDownloading while bytes arrive; the
// percent is (bytes received + base_offset) * 100 / total.
struct TransferStatus {
    SharedValue<FileStatus>* state = nullptr;
    SharedValue<std::int32_t>* percent = nullptr;
    std::int64_t base_offset = 0;
    std::int64_t total = 0;
};

// The one HTTP client. Every operation opens its own connection and closes it before it returns;
// nothing is kept between calls but the parameter list. Requests carry form parameters, in the
// query string for GET and as a form-encoded body for every verb.
//
// Hosts may carry ":port" (from Info/Servers.ini), which replaces the `port` argument.
// Parameter values are UTF-8 and travel as CP949.
//
// Thread safety: one thread runs the operations; `Cancel()` may be called from any thread.
class CWebPOST {
public:
    // Result codes of SendRequestNoReply.
    static constexpr int kOk = 0;
    static constexpr int kNoConnection = -1;
    static constexpr int kOpenFailed = -2;
    static constexpr int kConnectFailed = -3;
    static constexpr int kRequestFailed = -4;
    static constexpr int kSecurityFailed = -5;
    static constexpr int kSendFailed = -6;
    static constexpr int kNoStatus = -7;
    static constexpr int kBadStatus = -8;

    // A file download writes, reports and checks for cancel in blocks of this size.
    static constexpr std::size_t kBlockSize = 40960;
    // A transfer that brings no byte for this long has stalled and fails (the default of
    // SetStallLimit).
    static constexpr std::chrono::seconds kStallLimit{60};
    // A download's dropped connection is re-opened at most this many times in a row without the
    // file getting further...
    static constexpr int kMaxFruitlessReconnects = 30;
    // ...and never once the file has not got further for this long.
    static constexpr std::chrono::minutes kReconnectPatience{2};

    CWebPOST();
    virtual ~CWebPOST();
    CWebPOST(const CWebPOST&) = delete;
    CWebPOST& operator=(const CWebPOST&) = delete;

    void ClearParameters();
    // Appends the name unchanged and the value converted to CP949 and form-encoded.
    void AddParameter(std::string_view name, std::string_view value);

    // 1 and a filled `out` on success; 0 on any failure, `out` untouched.
    int SendRequest(std::string_view host, std::string_view path, WebResponse& out, int port,
                    std::string_view verb, bool secure);
    // kOk when the server answered with a status other than 0 and 400-599, else a negative code.
    // The body is not read.
    int SendRequestNoReply(std::string_view host, std::string_view path, int port,
                           std::string_view verb, bool secure);
    // GET with the parameters D1, D2, D3; the body as UTF-8 text, or empty on failure.
    std::string FetchText(std::string_view host, std::string_view path, std::string_view d1,
                          std::string_view d2, std::string_view d3, int port);
    // Downloads `url` into `local_path` (its folders are created). With `resume` the file is
    // continued from its current length. Posts 0x701/0x702 to the progress window after every
    // block. A connection that is aborted or reset (or refused when re-opened) is re-opened and
    // continued where the file ends, so the file holds the resource's bytes once; the state of
    // `status` is kReconnecting meanwhile. The re-opening stops after kMaxFruitlessReconnects in
    // a row, or kReconnectPatience, without the file getting further. A stall (see
    // SetStallLimit), a timeout or any other failure ends the call at once. On success adds the
    // expected total to both counters and returns 1; 0 on failure or cancel (the partial file
    // stays).
    int DownloadToFile(std::string_view url, std::string_view local_path, bool resume,
                       std::uint64_t* progress_bytes, std::uint64_t* progress_package_bytes,
                       TransferStatus* status = nullptr);
    // 1 when the server answers `url` with 416 or a status outside 400-599; the content length,
    // when sent, goes to `size`. With `create` an empty local file is made first. A server that
    // stalls (see SetStallLimit) and a cancel, also one before the call, give 0.
    int ProbeUrl(std::string_view url, std::string_view local_path, bool create,
                 std::uint64_t* size);

    // Stops a running file download after at most one more block, and a running probe. Any
    // thread.
    void Cancel() { cancel_.store(true); }
    void ClearCancel() { cancel_.store(false); }
    bool cancelled() const { return cancel_.load(); }
    bool busy() const { return busy_.load(); }
    // errno of the local write that stopped the last DownloadToFile (ENOSPC: the disk is full);
    // 0 when no write failed.
    int last_write_error() const { return last_write_error_; }

    // Progress of file downloads: the target of 0x701/0x702, the size of the whole transfer (for
    // the KB message) and the value passed as lParam of 0x701.
    void SetProgressWindow(platform::MessageTarget* window) { progress_window_ = window; }
    void SetTotalSize(std::uint64_t bytes) { total_size_ = bytes; }
    void SetProgressTag(std::int64_t tag) { progress_tag_ = tag; }

    // Whether the machine has a network (InternetGetConnectedState). Tests replace it; the default
    // asks the platform and always lets loopback hosts through.
    void SetConnectivityCheck(std::function<bool(std::string_view host)> check);
    // The waits between reconnections of a download (default: real time).
    void SetSleeper(platform::Sleeper* sleeper) { sleeper_ = sleeper; }
    // What kReconnectPatience is measured on (default: the machine's clock).
    void SetClock(platform::Clock* clock) { clock_ = clock; }
    // How long a request, probe or download may go without a byte of the answer's body (or
    // before its first) until it fails; default kStallLimit.
    void SetStallLimit(std::chrono::milliseconds limit) { stall_limit_ = limit; }

    // The query/body string of the current parameters ("D1=a&D2=b").
    std::string ParameterString() const;
    // The form encoding applied to values, hosts, paths and URLs.
    static std::string FormEncode(std::string_view bytes);

    // The form encoding of a host: the same, except that '-' and the brackets of an IPv6
    // address stay (hosts carry them; encoded, no host would resolve).
    static std::string EncodeHost(std::string_view host);
    // A URL encoded for the request: CP949, host as EncodeHost, the rest as FormEncode, doubled
    // '/' collapsed.
    static std::string EncodeUrl(std::string_view url);

private:
    struct Download;
    int Exchange(std::string_view host, std::string_view path, int port, std::string_view verb,
                 bool secure, std::string* body);
    void PostProgress(std::uint64_t bytes_this_call, std::uint64_t counter_file,
                      std::uint64_t counter_package);

    std::vector<std::string> names_;
    std::vector<std::string> values_;  // encoded
    std::atomic<bool> cancel_{false};
    std::atomic<bool> busy_{false};
    int last_write_error_ = 0;
    platform::MessageTarget* progress_window_ = nullptr;
    std::uint64_t total_size_ = 0;
    std::int64_t progress_tag_ = 0;
    std::function<bool(std::string_view host)> connectivity_;
    platform::Sleeper* sleeper_;
    platform::Clock* clock_;
    std::chrono::milliseconds stall_limit_ = kStallLimit;
};

}  // namespace mapvale::net
