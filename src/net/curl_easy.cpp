#include "net/curl_easy.h"

#include <mutex>

namespace mapvale::net {

namespace {

constexpr char kAgent[] = "WEBPOST AGENT";

void GlobalInit() {
    // curl_global_init is not thread-safe; every handle is made after this ran once.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlEasy::CurlEasy() {
    GlobalInit();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) {
        return;
    }
    curl_easy_setopt(handle_, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 30L);
    // Only plain and secure HTTP, also when a redirect is followed.
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Each operation uses its connection once and closes it.
    curl_easy_setopt(handle_, CURLOPT_FORBID_REUSE, 1L);
}

CurlEasy::~CurlEasy() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(handle_);
    }
    curl_slist_free_all(headers_);
}

void CurlEasy::AddHeader(const char* line) {
    headers_ = curl_slist_append(headers_, line);
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
}

long CurlEasy::Status() const {
    long status = 0;
    if (curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
        return 0;
    }
    return status;
}

curl_off_t CurlEasy::ContentLength() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        return -1;
    }
    return length;
}

std::string BuildUrl(std::string_view host, std::string_view path, int port, bool secure) {
    std::string url = secure ? "https://" : "http://";
    url.append(host);
    // A host of the configuration may name its own port; it wins over the caller's.
    const bool bracketed = !host.empty() && host.front() == '[';
    const std::size_t colon = host.rfind(':');
    const bool host_has_port = bracketed ? (colon != std::string_view::npos && colon > 0 &&
                                            host[colon - 1] == ']')
                                         : colon != std::string_view::npos;
    if (!host_has_port && port != (secure ? 443 : 80)) {
        url += ':' + std::to_string(port);
    }
    if (path.empty() || path.front() != '/') {
        url.push_back('/');
    }
    url.append(path);
    return CollapseUrlSlashes(url);
}

std::string CollapseUrlSlashes(std::string_view url) {
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t query = url.find('?', start);
    std::string out(url.substr(0, start));
    for (std::size_t i = start; i < url.size(); ++i) {
        if (i < query && url[i] == '/' && !out.empty() && out.back() == '/' && out.size() > start) {
            continue;
        }
        out.push_back(url[i]);
    }
    return out;
}

}  // namespace mapvale::net
