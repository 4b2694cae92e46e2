#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/server_config.h"
#include "net/traffic_socket.h"
#include "platform/clock.h"

namespace mapvale::app {
class LogFile;
}

namespace mapvale::net {

struct TrafficFile {
    std::uint8_t type = 0;
    bool delete_after_upload = false;
    std::uint32_t size = 0;
    std::string path;
};

// What one upload of traffic-probe files works from. The roots are a unit's product folder on
// the card (where the unit keeps Data/TraInfo and UserData/) and its copy in a backup folder.
struct TrafficUploadState {
    std::string card_root;    // ends in '/'
    std::string backup_root;  // ends in '/'
    bool card_has_trainfo = false;
    std::string key_file;         // card root + "UserData/TraInfoAuth.key"
    std::uint16_t unit_mode = 0;  // the device kind; 2 = TARNO unit
    std::uint32_t key = 0;
    std::vector<TrafficFile> files;
};

inline constexpr std::uint16_t kTrafficPort = 10400;
// Files of this size or more are never uploaded.
inline constexpr std::uint32_t kTrafficFileLimit = 307200;

void PrepareTrafficUpload(TrafficUploadState& state, const std::string& card_root,
                          const std::string& backup_root, std::uint16_t unit_mode);

// Authenticates with the key kept on the card, asks the server which files it wants, uploads
// them in one message and, once the server has accepted them, deletes the card's copies of the
// files it asked to have deleted. 1 when the upload was accepted, 0 otherwise; a failure leaves
// the card unchanged except for a key file the server filled in.
//
// Symbolic links are never followed: a linked probe folder counts as missing, and linked files,
// or files behind a linked folder, are neither sent nor deleted.
//
// Blocks its caller at most `limits.connect` per connection attempt and `limits.deadline` of
// waiting for the whole run (both connections), plus the name lookup of a server given by name.
int RunTrafficUpload(TrafficUploadState& state, const ServerConfig& servers, app::LogFile* log,
                     platform::Sleeper& sleeper, const TrafficLimits& limits = {});

// The log of the traffic client: "<data folder>Log/traffic.log", rotated daily, rotated logs
// kept 30 days.
std::unique_ptr<app::LogFile> MakeTrafficLog(const std::string& data_folder,
                                             const platform::Clock& clock);

}  // namespace mapvale::net
