#include "mapvale-servers/serve_options.h"

#include <arpa/inet.h>

#include <limits>
#include <optional>

namespace mapvale::servers {
namespace {

std::optional<std::uint64_t> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<StatusRule> ParseStatusRule(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon != 3 || colon + 1 >= text.size()) {
        return std::nullopt;
    }
    const auto status = ParseCount(text.substr(0, colon));
    if (!status || *status < 100 || *status > 599) {
        return std::nullopt;
    }
    return StatusRule{static_cast<int>(*status), text.substr(colon + 1)};
}

bool IsFlag(const std::string& name) {
    return name == "--allow-remote" || name == "--ignore-range" || name == "--stop-on-stdin-eof";
}

}  // namespace

ServeCommandLine ParseServeCommandLine(const std::vector<std::string>& args) {
    ServeCommandLine result;
    ServeOptions& options = result.options;
    for (std::size_t i = 0; i < args.size() && result.ok(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name == "--help" || name == "-h") {
            result.help = true;
            continue;
        }
        if (name.rfind("--", 0) != 0) {
            result.error = "unexpected argument " + name;
            break;
        }
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (IsFlag(name)) {
            if (value) {
                result.error = name + " takes no value";
            } else if (name == "--allow-remote") {
                options.allow_remote = true;
            } else if (name == "--ignore-range") {
                options.faults.ignore_range = true;
            } else {
                options.stop_on_stdin_eof = true;
            }
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value";
                break;
            }
            value = args[++i];
        }
        if (name == "--content") {
            options.content_folder = *value;
        } else if (name == "--world") {
            options.world_folder = *value;
        } else if (name == "--listen") {
            const auto address = ParseListenAddress(*value);
            if (!address) {
                result.error = "--listen wants HOST:PORT, not " + *value;
            } else {
                options.listen = *address;
                options.listen_given = true;
            }
        } else if (name == "--traffic-listen") {
            const auto address = ParseListenAddress(*value);
            in_addr ignored{};
            if (!address || ::inet_pton(AF_INET, address->host.c_str(), &ignored) != 1) {
                result.error = "--traffic-listen wants an IPv4 HOST:PORT, not " + *value;
            } else {
                options.traffic_listen = *address;
            }
        } else if (name == "--request-log") {
            options.request_log = *value;
        } else if (name == "--reset-after") {
            options.faults.reset_after = ParseCount(*value);
            if (!options.faults.reset_after) {
                result.error = "--reset-after wants a number of bytes, not " + *value;
            }
        } else if (name == "--reset-every") {
            const auto every = ParseCount(*value);
            if (!every || *every == 0) {
                result.error =
                    "--reset-every wants a number of requests (1 or more), not " + *value;
            } else {
                options.faults.reset_every = *every;
            }
        } else if (name == "--reset-path") {
            options.faults.reset_paths.push_back(*value);
        } else if (name == "--status") {
            const auto rule = ParseStatusRule(*value);
            if (!rule) {
                result.error = "--status wants CODE:GLOB with a code of 100-599, not " + *value;
            } else {
                options.faults.status_rules.push_back(*rule);
            }
        } else if (name == "--throttle") {
            const auto rate = ParseCount(*value);
            if (!rate || *rate == 0) {
                result.error = "--throttle wants bytes per second (1 or more), not " + *value;
            } else {
                options.faults.throttle_bytes_per_second = *rate;
            }
        } else {
            result.error = "unknown option " + name;
        }
    }
    if (!result.ok() || result.help) {
        return result;
    }
    if (options.content_folder.empty() == options.world_folder.empty()) {
        result.error = "give either --content FOLDER or --world DIR";
    } else if (!options.allow_remote && !IsLoopbackHost(options.listen.host)) {
        result.error = "--listen " + options.listen.ToString() +
                       " is not a loopback address; add --allow-remote to serve other machines";
    } else if (!options.allow_remote && options.traffic_listen &&
               !IsLoopbackHost(options.traffic_listen->host)) {
        result.error = "--traffic-listen " + options.traffic_listen->ToString() +
                       " is not a loopback address; add --allow-remote to serve other machines";
    } else if (!options.faults.reset_after &&
               (options.faults.reset_every != 0 || !options.faults.reset_paths.empty())) {
        result.error = "--reset-every and --reset-path need --reset-after";
    }
    return result;
}

std::string ServeUsage() {
    return R"(usage: mapvale-servers serve (--content FOLDER | --world DIR) [options]

Serves FOLDER as static files over HTTP (GET, HEAD, and POST, which answers the file too). Files
are streamed, with single byte ranges (206, or 416 for a range past the end); paths that would
leave FOLDER are refused. With --world, serves a world made by `mapvale-servers world`: its
content tree, and the registration and service endpoints (sign-in, device lists, download
notices, traffic consent, version query) from its accounts. Prints "listening on HOST:PORT" once
listening (then "traffic listening on HOST:PORT" with --traffic-listen); SIGINT or SIGTERM stops
it with exit status 0.

options:
  --content FOLDER        the content tree to serve
  --world DIR             the world to serve; its URLs, DIR/world.conf and
                          DIR/program/Info/Servers.ini are rewritten to the address and ports
                          the server listens on; requests are logged to DIR/requests.log
                          unless --request-log is given
  --listen HOST:PORT      where to listen (default 127.0.0.1:0, with --world the world's
                          address; port 0 picks a free port; IPv6 as [::1]:PORT). Only loopback
                          addresses unless --allow-remote.
  --traffic-listen HOST:PORT  also run the traffic-information server (TCP) there (IPv4; the
                          client's own port is 10400; port 0 picks a free port); with --world it
                          answers from DIR/traffic.conf and records accepted uploads in
                          DIR/traffic-uploads/
  --allow-remote          allow --listen and --traffic-listen addresses other machines can reach
  --request-log FILE      append one line per request to FILE (tab-separated: number, method,
                          path, query, form, range, status, length, sent, outcome; parameters
                          as UTF-8 from the client's CP949, with %XX escapes)
  --stop-on-stdin-eof     also stop when standard input reaches its end (for test harnesses
                          that hold a pipe to it)

fault injection (for testing clients):
  --status CODE:GLOB      answer CODE for request paths matching GLOB (fnmatch; '*' also
                          matches '/'); may repeat, the first matching rule wins
  --reset-after BYTES     close the connection after BYTES body bytes of the first counted
                          answer: the client sees a body shorter than its Content-Length
  --reset-every N         cut every Nth counted answer (N, 2N, ...) instead of only the first
  --reset-path GLOB       count only answers to paths matching GLOB (may repeat; default: all)
                          Counted answers are those that carry a body (not HEAD, not empty),
                          numbered from 1 in the order their bodies start. A counted body no
                          longer than BYTES goes out whole and the connection closes after it.
  --throttle BYTES_PER_SEC  pace every answer body to this rate
  --ignore-range          answer range requests with 200 and the whole file
)";
}

}  // namespace mapvale::servers
