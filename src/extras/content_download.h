#pragma once

#include <string_view>

namespace mapvale::net {
class CWebPOST;
}

namespace mapvale::extras {

// Fetches `address` (one POST, no parameters) and writes the whole answer to `local_path`:
// 1 when the answer came and is in the file, else 0. The address splits as a URL: host[:port]
// up to the first '/' after "//", path and query the rest.
//
// The file is written under a temporary name and renamed once complete, so a full disk or a
// failed write never leaves a partial file under `local_path` (an older file stays as it was).
int DownloadContent(net::CWebPOST& web, std::string_view address, std::string_view local_path);

}  // namespace mapvale::extras
