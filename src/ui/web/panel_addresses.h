#pragma once

#include <string>
#include <string_view>

namespace mapvale {
class ServerConfig;
}

namespace mapvale::ui {

// The pages of the notice and web panels on the configured servers. Each is empty when its
// server's host is not configured (the panel then shows nothing).

// The registration server's notice board; its path ends in a blank, sent as "%20".
std::string NoticeBoardAddress(const ServerConfig& servers);
// The ORLA portal's add-on services for the user (D1 = the scrambled user identifier).
std::string OrlaAddOnAddress(const ServerConfig& servers, std::string_view user_id);
// The TARNO portal's services for the user.
std::string TarnoAddOnAddress(const ServerConfig& servers, std::string_view user_id);
// The map-content server's map page; `map_value` is what the controller keeps for it.
std::string MapPageAddress(const ServerConfig& servers, std::string_view map_value);

}  // namespace mapvale::ui
