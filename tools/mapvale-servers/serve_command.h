#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mapvale::servers {

// `mapvale-servers serve ARGS`: serves a content tree until SIGINT, SIGTERM (or, when asked,
// the end of standard input). Writes "listening on HOST:PORT" to `out` once listening.
//
// Returns the exit status: 0 after a clean stop (and for --help), 1 when the server could not
// start or failed, 2 for a bad command line.
//
// Must be called before the process starts any other thread (see StopWatcher).
int RunServe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mapvale::servers
