#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "platform/network.h"

namespace mapvale::platform {

bool HasNetworkConnection() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool connected = false;
    for (const ifaddrs* it = list; it != nullptr && !connected; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || (it->ifa_flags & IFF_LOOPBACK) != 0 ||
            (it->ifa_flags & IFF_UP) == 0 || (it->ifa_flags & IFF_RUNNING) == 0) {
            continue;
        }
        const int family = it->ifa_addr->sa_family;
        connected = family == AF_INET || family == AF_INET6;
    }
    freeifaddrs(list);
    return connected;
}

bool IsLoopbackHost(std::string_view host) {
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        return close != std::string_view::npos && host.substr(1, close - 1) == "::1";
    }
    if (host == "::1") {
        return true;
    }
    host = host.substr(0, host.find(':'));
    return host == "localhost" || host.substr(0, 4) == "127.";
}

}  // namespace mapvale::platform
