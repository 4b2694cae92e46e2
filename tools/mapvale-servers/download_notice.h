#pragma once

namespace mapvale::servers {

class HttpServer;

// The download notices: "WMK/WMKChkDown.mms" (registration server, vehicle units),
// "WMK/orlaWMKChkDown.mms" and "WMK/tarnoWMKChkDown.mms" (service server). The client ignores
// the answer, so the server only acknowledges ("#!#200|OK"); the request log keeps what was
// sent (D1 identifier, D2 product line, D3 caption, D4 model, D5 "M", D6 device class, D7-D10
// extra fields).
void AddDownloadNoticeApi(HttpServer& server);

}  // namespace mapvale::servers
