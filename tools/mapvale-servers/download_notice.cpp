#include "mapvale-servers/download_notice.h"

#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"

namespace mapvale::servers {

void AddDownloadNoticeApi(HttpServer& server) {
    for (const char* path :
         {"/WMK/WMKChkDown.mms", "/WMK/orlaWMKChkDown.mms", "/WMK/tarnoWMKChkDown.mms"}) {
        server.AddHandler(path, [](const httplib::Request&, httplib::Response& response) {
            SetCp949Answer(response, "#!#200|OK");
        });
    }
}

}  // namespace mapvale::servers
