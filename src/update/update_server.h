#pragma once

#include <string>

namespace mapvale::update {

// The update server's "host[:port]" from the program folder's Info/Servers.ini (role "update"),
// or empty when the file or the role is missing.
std::string UpdateServerHost(const std::string& program_folder);

}  // namespace mapvale::update
