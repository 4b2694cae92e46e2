#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapvale-servers/fault_plan.h"
#include "mapvale-servers/listen_address.h"

namespace mapvale::servers {

// The command line of `mapvale-servers serve`.
struct ServeOptions {
    std::string content_folder;
    std::string world_folder;  // a world (see world.h): its content, accounts and settings
    ListenAddress listen;      // 127.0.0.1:0 unless given (a world's own address with --world)
    bool listen_given = false;
    std::optional<ListenAddress> traffic_listen;  // the traffic server; none unless given
    bool allow_remote = false;
    FaultOptions faults;
    std::string request_log;  // empty: no log
    bool stop_on_stdin_eof = false;
};

struct ServeCommandLine {
    ServeOptions options;
    bool help = false;
    std::string error;  // empty when the command line is usable

    bool ok() const { return error.empty(); }
};

// Reads the arguments after "serve". Options take their value as the next argument or after
// '=' ("--listen=127.0.0.1:0").
ServeCommandLine ParseServeCommandLine(const std::vector<std::string>& args);

// The text of `mapvale-servers serve --help`.
std::string ServeUsage();

}  // namespace mapvale::servers
