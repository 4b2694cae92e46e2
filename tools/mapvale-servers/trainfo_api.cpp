#include "mapvale-servers/trainfo_api.h"

#include "mapvale-servers/consent_book.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"

namespace mapvale::servers {

void AddTrafficConsentApi(HttpServer& server, ConsentBook& consents) {
    server.AddHandler("/WMK/WMKChkTrainfo.mms",
                      [&consents](const httplib::Request& request, httplib::Response& response) {
                          const RequestParameters parameters(request);
                          const std::string user = parameters.Get("D1");
                          if (!user.empty()) {
                              consents.Record(user, parameters.Get("D2"));
                          }
                          SetCp949Answer(response, "#!#200|OK");
                      });
}

}  // namespace mapvale::servers
