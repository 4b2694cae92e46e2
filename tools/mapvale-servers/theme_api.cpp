#include "mapvale-servers/theme_api.h"

#include <algorithm>

#include "app/text_scrambler.h"
#include "mapvale-servers/accounts.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"
#include "platform/files.h"

namespace mapvale::servers {

namespace {

constexpr WorldTheme kThemes[] = {
    {"ORLA", "101", "새벽 바다"},
    {"ORLA", "102", "가을 단풍"},
    {"TARNO", "201", "한밤 도시"},
    {"TARNO", "202", "봄 들판"},
};

// IDCodes name files: letters and digits only, so no request reaches outside the folder.
bool IsPlainCode(std::string_view code) {
    return !code.empty() && code.size() <= 32 && std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

}  // namespace

std::span<const WorldTheme> WorldThemes() {
    return kThemes;
}

void ThemeApi::AddTo(HttpServer& server) const {
    server.AddHandler(
        "/Scripts/Common/Service/ThemeDownload.aspx",
        [this](const httplib::Request& request, httplib::Response& response) {
            const RequestParameters parameters(request);
            if (parameters.Get("app") != "With") {
                response.status = 400;
                return;
            }
            const std::optional<std::string> user = app::UnscrambleText(parameters.Get("UserID"));
            if (!user || accounts_.Find(*user) == nullptr) {
                response.status = 403;
                return;
            }
            const std::string kind = parameters.Get("Kind");
            const std::string code = parameters.Get("IDCode");
            if ((kind != "ORLA" && kind != "TARNO") || !IsPlainCode(code)) {
                response.status = 404;
                return;
            }
            const std::optional<std::string> bytes =
                platform::ReadWholeFile(themes_folder_ + "/" + kind + "/" + code + ".bin");
            if (!bytes) {
                response.status = 404;
                return;
            }
            response.set_content(*bytes, "application/octet-stream");
        });
}

}  // namespace mapvale::servers
