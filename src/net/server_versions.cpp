#include "net/server_versions.h"

#include <algorithm>
#include <cctype>

#include "net/answer_envelope.h"
#include "net/web_post.h"
#include "platform/text.h"

namespace mapvale::net {

namespace {

constexpr std::string_view kOrlaPath = "/orla/_Waymark/Wmk_Version_Orla.inf";
constexpr std::string_view kTarnoPath = "/tarno/_Waymark/Wmk_Version_Tarno.inf";


// Adds without overflowing: the numbers come from a server.
std::int32_t Add(std::int64_t a, std::int64_t b) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(a + b, INT32_MIN, INT32_MAX));
}

}  // namespace

void ParseVersionRecord(std::string_view text, std::string& version_text,
                        std::int32_t& map_version, std::int32_t& camera_version) {
    enum class Section { kNone, kMap, kCamera } section = Section::kNone;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find("\r\n", begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string line(platform::TrimText(text.substr(begin, end - begin)));
        begin = end + 2;
        if (line.empty()) {
            continue;
        }
        line = platform::AsciiLower(line);
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        if (key == "[map]") {
            section = Section::kMap;
        } else if (key == "[camera]") {
            section = Section::kCamera;
        }
        if (key.find("ver") != std::string::npos) {
            version_text = value;
        }
        const std::int64_t number = LeadingNumber(value);
        // The year replaces what month and count added, so it must come first in a section.
        if (section == Section::kMap) {
            if (key.find("year") != std::string::npos) {
                map_version = Add((number + 2000) * 10000, 0);
            } else if (key.find("month") != std::string::npos) {
                map_version = Add(map_version, number * 100);
            } else if (key.find("count") != std::string::npos) {
                map_version = Add(map_version, number);
            }
        } else if (section == Section::kCamera) {
            if (key.find("year") != std::string::npos) {
                camera_version = Add((number + 2000) * 1000, 0);
            } else if (key.find("month") != std::string::npos) {
                camera_version = Add(camera_version, number * 10);
            } else if (key.find("count") != std::string::npos) {
                camera_version = Add(camera_version, number);
            }
        }
    }
}

bool FetchServerVersions(ServerVersions& versions, CWebPOST& web, const ServerConfig& servers) {
    const std::string host = servers.HostText(ServerConfig::kContent);
    web.ClearParameters();
    WebResponse orla;
    if (web.SendRequest(host, kOrlaPath, orla, 80, "GET", false) != 1) {
        return false;
    }
    ParseVersionRecord(orla.Text(), versions.orla_version_text, versions.orla_map_version,
                       versions.orla_camera_version);
    WebResponse tarno;
    if (web.SendRequest(host, kTarnoPath, tarno, 80, "GET", false) != 1) {
        return false;
    }
    ParseVersionRecord(tarno.Text(), versions.tarno_version_text, versions.tarno_map_version,
                       versions.tarno_camera_version);
    return true;
}

}  // namespace mapvale::net
