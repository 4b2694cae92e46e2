#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapvale::servers {

// Where a server listens: "127.0.0.1:8080", "[::1]:0", "localhost:80". Port 0 asks the system
// for a free port.
struct ListenAddress {
    std::string host = "127.0.0.1";  // without brackets
    int port = 0;

    // "host:port", with brackets around an IPv6 host.
    std::string ToString() const { return ToString(port); }
    std::string ToString(int actual_port) const;
};

// Nothing when the text is not "host:port" with a port 0-65535.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

// True for "localhost", 127.0.0.0/8, ::1 and ::ffff:127.x.x.x. Other names are not resolved
// and count as remote.
bool IsLoopbackHost(std::string_view host);

}  // namespace mapvale::servers
