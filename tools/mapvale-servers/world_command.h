#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mapvale::servers {

// `mapvale-servers world --out DIR [--listen-host HOST:PORT] [--traffic-host HOST:PORT]
// [--offer-update]`: writes a demo world (see world.h) for serving at HOST:PORT (default
// 127.0.0.1:18080; the traffic server 127.0.0.1:10400); --offer-update sets
// WorldOptions::offer_update.
//
// Returns 0 when the world was written (and for --help), 1 when it could not be, 2 for a bad
// command line.
int RunWorld(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mapvale::servers
