#pragma once

#include <span>
#include <string>
#include <string_view>

namespace mapvale::servers {

class Accounts;
class HttpServer;

// A colour theme of the demo world: the Kind it is for, its IDCode and the name the map page
// shows.
struct WorldTheme {
    std::string_view kind;  // "ORLA" or "TARNO"
    std::string_view id_code;
    std::string_view name;
};

// The world's themes (written under themes/<Kind>/<IDCode>.bin).
std::span<const WorldTheme> WorldThemes();

// "/Scripts/Common/Service/ThemeDownload.aspx" (any verb): the bytes of
// <themes_folder>/<Kind>/<IDCode>.bin when UserID unscrambles (built-in key) to a known user and
// app=With; 403 for an unknown user, 404 for an unknown theme or Kind, 400 without app=With.
class ThemeApi {
public:
    ThemeApi(const Accounts& accounts, std::string themes_folder)
        : accounts_(accounts), themes_folder_(std::move(themes_folder)) {}
    void AddTo(HttpServer& server) const;

private:
    const Accounts& accounts_;
    std::string themes_folder_;
};

}  // namespace mapvale::servers
