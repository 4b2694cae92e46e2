#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mapvale-servers/listen_address.h"

namespace mapvale::servers {

// The settings file of a world folder, "world.conf" (syntax of conf_text.h):
//
//   address = 127.0.0.1:18080          where the world is served; the URLs in its content
//                                       tree point here (serve --world rewrites them when it
//                                       listens elsewhere)
//   traffic-address = 127.0.0.1:10400  the traffic-information server (Info/Servers.ini)
//   information-folder = /vehicle/Waymark/PackageInfo   package information files, in content/
//   picture-folder = /vehicle/Waymark/Product           product pictures, in content/
//   version-status = 1                  status of the version query (0 or 2: maintenance)
struct WorldSettings {
    ListenAddress address{"127.0.0.1", 18080};
    ListenAddress traffic_address{"127.0.0.1", 10400};
    std::string information_folder = "/vehicle/Waymark/PackageInfo";
    std::string picture_folder = "/vehicle/Waymark/Product";
    int version_status = 1;

    // "http://" + address.
    std::string BaseUrl() const { return "http://" + address.ToString(); }

    // Nothing, with `error` naming the line, when the text is not valid.
    static std::optional<WorldSettings> Parse(std::string_view text, std::string& error);
    static std::optional<WorldSettings> Load(const std::string& path, std::string& error);
    std::string Format() const;
};

}  // namespace mapvale::servers
