#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

namespace mapvale::net {

// One libcurl easy handle with the settings every request of the programs shares: the agent
// text, no signals (worker threads), bounded connect time, no proxy guessing from the
// environment beyond libcurl's own. Owned by one operation; closed when it goes out of scope.
class CurlEasy {
public:
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    CURL* get() const { return handle_; }

    // Adds a request header line ("Name: value"; "Name:" removes a header curl would send).
    void AddHeader(const char* line);
    // The status of the last answer, or 0 when none arrived.
    long Status() const;
    // The answer's Content-Length, or -1 when it sent none.
    curl_off_t ContentLength() const;

private:
    CURL* handle_;
    curl_slist* headers_ = nullptr;
};

// "http://host:port" + path for a request to `host` (which may carry its own ":port", replacing
// `port`). Port 80 and 443 are left out of the URL.
std::string BuildUrl(std::string_view host, std::string_view path, int port, bool secure);

// Collapses doubled '/' in the part of a URL after "scheme://" (a root URL ending in '/' joined
// with "/folder" gives one), keeping the query untouched.
std::string CollapseUrlSlashes(std::string_view url);

}  // namespace mapvale::net
