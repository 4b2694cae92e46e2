#pragma once

#include <string_view>

namespace mapvale::platform {

// Whether the machine has a network connection (InternetGetConnectedState): some interface other
// than loopback is up and has an address.
bool HasNetworkConnection();

// True for hosts that never leave the machine: "localhost", 127.0.0.0/8 and ::1, with or without
// a ":port" and IPv6 brackets.
bool IsLoopbackHost(std::string_view host);

}  // namespace mapvale::platform
