#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/server_config.h"

namespace mapvale::net {

class CWebPOST;

// The newest map and safe-driving (camera) data versions the content server offers, per unit
// line. A fetch keeps what an earlier one left for keys the new files lack.
struct ServerVersions {
    std::string orla_version_text;
    std::int32_t orla_map_version = 0;
    std::int32_t orla_camera_version = 0;
    std::string tarno_version_text;
    std::int32_t tarno_map_version = 0;
    std::int32_t tarno_camera_version = 0;
};

// Reads one version file's text into the three values of a unit line.
void ParseVersionRecord(std::string_view text, std::string& version_text,
                        std::int32_t& map_version, std::int32_t& camera_version);

// Fetches both version files from the content server, the ORLA one first. True when both were
// received (even when they held nothing useful); false as soon as one request fails, with the
// record keeping what it held for the line not yet read.
bool FetchServerVersions(ServerVersions& versions, CWebPOST& web, const ServerConfig& servers);

}  // namespace mapvale::net
