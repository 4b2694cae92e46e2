#include "extras/content_download.h"

#include "net/web_post.h"
#include "platform/files.h"

namespace mapvale::extras {

int DownloadContent(net::CWebPOST& web, std::string_view address, std::string_view local_path) {
    const std::size_t scheme = address.find("//");
    const std::size_t host_start = scheme == std::string_view::npos ? 0 : scheme + 2;
    const std::size_t path_start = address.find('/', host_start);
    if (path_start == std::string_view::npos || path_start == host_start) {
        return 0;
    }
    const std::string_view host = address.substr(host_start, path_start - host_start);
    const std::string_view path = address.substr(path_start);
    web.ClearParameters();
    net::WebResponse answer;
    if (web.SendRequest(host, path, answer, 80, "POST", false) != 1) {
        return 0;
    }
    return platform::WriteFileAtomic(local_path, answer.data) ? 1 : 0;
}

}  // namespace mapvale::extras
