#include "model/server_config.h"

#include <algorithm>
#include <cctype>

#include "model/ini_section.h"
#include "platform/files.h"
#include "platform/text.h"

namespace mapvale {

std::optional<ServerConfig> ServerConfig::Load(const std::string& path) {
    auto text = platform::ReadWholeFile(path);
    if (!text) {
        return std::nullopt;
    }
    return Parse(*text);
}

ServerConfig ServerConfig::Parse(std::string_view text) {
    ServerConfig config;
    // Entries before any section header count as servers.
    ForEachIniEntry(text, "servers", true, [&config](std::string_view role, std::string_view host) {
        config.Set(role, host);
    });
    return config;
}

std::string ServerConfig::HostText(std::string_view role) const {
    auto it = hosts_.find(platform::AsciiLower(role));
    return it == hosts_.end() ? std::string() : it->second;
}

std::optional<ServerConfig::Endpoint> ServerConfig::Find(std::string_view role,
                                                         std::uint16_t default_port) const {
    const std::string text = HostText(role);
    if (text.empty()) {
        return std::nullopt;
    }
    Endpoint endpoint{text, default_port};
    // "[::1]:8080" keeps its brackets off the port; a bare IPv6 address has no port.
    const std::size_t colon = text.rfind(':');
    const bool bracketed = text.front() == '[';
    const bool has_port =
        colon != std::string::npos &&
        (bracketed ? colon > 0 && text[colon - 1] == ']' : text.find(':') == colon);
    if (has_port) {
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isdigit(c); })) {
            return std::nullopt;
        }
        const int port = std::stoi(digits);
        if (port < 1 || port > 65535) {
            return std::nullopt;
        }
        endpoint.host = text.substr(0, colon);
        endpoint.port = static_cast<std::uint16_t>(port);
    }
    if (endpoint.host.empty()) {
        return std::nullopt;
    }
    return endpoint;
}

void ServerConfig::Set(std::string_view role, std::string_view host_text) {
    if (role.empty()) {
        return;
    }
    hosts_[platform::AsciiLower(role)] = std::string(host_text);
}

std::vector<std::string> ServerConfig::HostTexts() const {
    std::vector<std::string> hosts;
    for (const auto& [role, host] : hosts_) {
        if (!host.empty() && std::find(hosts.begin(), hosts.end(), host) == hosts.end()) {
            hosts.push_back(host);
        }
    }
    return hosts;
}

}  // namespace mapvale
