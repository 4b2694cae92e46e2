#pragma once

namespace mapvale::servers {

class ConsentBook;
class HttpServer;

// The traffic-service consent notice, "WMK/WMKChkTrainfo.mms" on the service server: D1 user
// id, D2 "T" (agreed) or "F". The choice is recorded in `consents` (later sign-ins of the user
// answer it as their service flag) and acknowledged with "#!#200|OK"; a request without a user
// id records nothing. `consents` must outlive the server.
void AddTrafficConsentApi(HttpServer& server, ConsentBook& consents);

}  // namespace mapvale::servers
