#pragma once

namespace mapvale::servers {

class HttpServer;

// The world's dynamic web pages, answered as UTF-8 HTML:
// - "/AVNproduct/support/notice/ " (the path ends in a blank): the registration server's notice
//   board;
// - "/WMKproduct/addition_service/index.mms" and "/WMKproduct/serviceM/index.mms": the ORLA and
//   TARNO portals' service pages, each showing the D1 it was given;
// - "/Scripts/WithMap.aspx": the map-content server's map page, showing its D1; its script
//   functions setCenter, getCoord, setMapMovePhotoSearch and closeUI record each call (name and
//   arguments) in window.mapCalls and in a visible list; a theme chooser with a button per
//   theme of the world calls window.external.ThemeDownload(IDCode, "map", 1, n), and closeUI(n)
//   closes it and says so in the status line.
void AddWebPages(HttpServer& server);

}  // namespace mapvale::servers
