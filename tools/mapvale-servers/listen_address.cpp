#include "mapvale-servers/listen_address.h"

#include <arpa/inet.h>

#include <cstring>

namespace mapvale::servers {

std::string ListenAddress::ToString(int actual_port) const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(actual_port);
}

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view host = text.substr(0, colon);
    const std::string_view port_text = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 host needs brackets to tell it from the port
    }
    if (host.empty() || port_text.empty() || port_text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char c : port_text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port > 65535) {
        return std::nullopt;
    }
    return ListenAddress{std::string(host), port};
}

bool IsLoopbackHost(std::string_view host) {
    const std::string text(host);
    if (text == "localhost") {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) {
            return true;
        }
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

}  // namespace mapvale::servers
