#include "update/update_server.h"

#include "app/constants.h"
#include "model/server_config.h"
#include "platform/files.h"

namespace mapvale::update {

std::string UpdateServerHost(const std::string& program_folder) {
    const auto config = ServerConfig::Load(platform::JoinPath(program_folder, app::kServersFile));
    return config ? config->HostText(ServerConfig::kUpdate) : std::string();
}

}  // namespace mapvale::update
