#include "mapvale-servers/web_pages.h"

#include <string>
#include <string_view>

#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"
#include "mapvale-servers/theme_api.h"

namespace mapvale::servers {

namespace {

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Page(std::string_view title, std::string_view body, std::string_view script = {}) {
    return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\"><title>" +
           std::string(title) +
           "</title>\n<style>body{font-family:NanumGothic,sans-serif;margin:16px;color:#0F2A44;"
           "background:#F4F7FA}button{font:inherit;font-size:13px}h1{font-size:18px;color:#1E4566}.d1{font-family:monospace;"
           "background:#E6EDF3;padding:2px 6px}</style>" +
           (script.empty() ? std::string() : "<script>" + std::string(script) + "</script>") +
           "</head>\n<body><h1>" + std::string(title) + "</h1>" + std::string(body) +
           "</body></html>\n";
}

void SetHtml(httplib::Response& response, const std::string& html) {
    response.set_content(html, "text/html; charset=utf-8");
}

// A portal's page for the user it was given.
HttpServer::Handler PortalPage(std::string title) {
    return [title = std::move(title)](const httplib::Request& request,
                                      httplib::Response& response) {
        const std::string d1 = RequestParameters(request).Get("D1");
        SetHtml(response,
                Page(title, "<p>D1 <span id=\"d1\" class=\"d1\">" + Escape(d1) + "</span></p>"));
    };
}

constexpr std::string_view kMapScript = R"(
window.mapCalls = [];
function record(name, args) {
  var call = name + '(' + Array.prototype.map.call(args, function (a) {
    return JSON.stringify(a);
  }).join(',') + ')';
  window.mapCalls.push(call);
  var item = document.createElement('li');
  item.textContent = call;
  document.getElementById('calls').appendChild(item);
}
// The map's centre in WGS 84, 1/360,000 degree; the marker shows it.
window.mapCenter = [45720000, 13500000];
function showCenter() {
  document.getElementById('marker').textContent =
      (window.mapCenter[0] / 360000).toFixed(6) + ', ' + (window.mapCenter[1] / 360000).toFixed(6);
}
function setCenter(longitude, latitude) {
  record('setCenter', arguments);
  window.mapCenter = [longitude, latitude];
  showCenter();
}
function getCoord() {
  record('getCoord', arguments);
  window.external.SetCoord(window.mapCenter[0], window.mapCenter[1]);
}
function setMapMovePhotoSearch() {
  record('setMapMovePhotoSearch', arguments);
  loadBoard();
}
// The photo board: samples and posted photos, each fetched onto the card by the program.
function loadBoard() {
  fetch('/WMKproduct/picroute/board.mms').then(function (r) { return r.json(); })
      .then(function (photos) {
    var board = document.getElementById('board');
    board.textContent = '';
    photos.forEach(function (photo) {
      var button = document.createElement('button');
      button.id = 'photo-' + photo.name;
      button.style.margin = '2px';
      button.textContent = photo.name;
      button.onclick = function () { window.external.DownloadPicroute(photo.url, photo.name, 0); };
      board.appendChild(button);
    });
  }).catch(function () {});
}
window.addEventListener('load', function () { showCenter(); loadBoard(); });
function closeUI() {
  record('closeUI', arguments);
  var chooser = document.getElementById('themes');
  if (chooser) { chooser.style.display = 'none'; }
  document.getElementById('status').textContent = '테마 창 닫힘: closeUI(' + arguments[0] + ')';
}
function chooseTheme(code, gbn, closeArgument) {
  document.getElementById('status').textContent = '테마 ' + code + ' 내려받는 중';
  window.external.ThemeDownload(code, gbn, 1, closeArgument);
}
)";

// The theme chooser: one button per theme of the world, each asking the program for it with its
// own close argument.
std::string ThemeChooser() {
    std::string html = "<div id=\"themes\"><h2 style=\"font-size:15px\">지도 테마</h2>";
    int close_argument = 0;
    for (const WorldTheme& theme : WorldThemes()) {
        ++close_argument;
        html += "<button id=\"theme-" + std::string(theme.id_code) +
                "\" style=\"margin:2px\" onclick=\"chooseTheme(" + std::string(theme.id_code) +
                ",'map'," + std::to_string(close_argument) + ")\">" + Escape(theme.name) + " (" +
                std::string(theme.kind) + ")</button>";
    }
    return html + "</div>";
}

}  // namespace

void AddWebPages(HttpServer& server) {
    server.AddHandler("/AVNproduct/support/notice/ ",
                      [](const httplib::Request&, httplib::Response& response) {
                          SetHtml(response, Page("공지사항",
                                                 "<ul id=\"notices\"><li>지도 업데이트 안내</li>"
                                                 "<li>서비스 점검 안내</li></ul>"));
                      });
    server.AddHandler("/WMKproduct/addition_service/index.mms", PortalPage("ORLA 부가 서비스"));
    server.AddHandler("/WMKproduct/serviceM/index.mms", PortalPage("TARNO 서비스"));
    server.AddHandler("/Scripts/WithMap.aspx", [](const httplib::Request& request,
                                                  httplib::Response& response) {
        const std::string d1 = RequestParameters(request).Get("D1");
        SetHtml(response, Page("지도",
                               "<p>D1 <span id=\"d1\" class=\"d1\">" + Escape(d1) + "</span></p>" +
                                   "<p>지도 중심 <span id=\"marker\" class=\"d1\"></span> "
                                   "<button id=\"picroute\" onclick=\"window.external."
                                   "PhotoDialogOpen()\">Picroute</button></p>" +
                                   ThemeChooser() + "<div id=\"board\"></div>" +
                                   "<p id=\"status\"></p><ol id=\"calls\"></ol>",
                               kMapScript));
    });
}

}  // namespace mapvale::servers
