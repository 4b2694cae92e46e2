#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale {

// The maker's servers by role, as the build configures them in Info/Servers.ini:
//
//   [Servers]
//   registration = reg.example:8080
//   content = 127.0.0.1:18080
//
// A host may carry ":port", which then replaces the port the caller would use (80 for HTTP,
// 10400 for the traffic socket), so stand-in servers can run unprivileged on loopback.
// Role names compare without case; lines starting with ';' or '#' are comments.
class ServerConfig {
public:
    // Roles the programs ask for.
    static constexpr std::string_view kRegistration = "registration";
    static constexpr std::string_view kService = "service";
    static constexpr std::string_view kContent = "content";
    static constexpr std::string_view kUpdate = "update";
    static constexpr std::string_view kTraffic = "traffic";
    static constexpr std::string_view kMapContent = "map-content";
    static constexpr std::string_view kPortal = "portal";
    static constexpr std::string_view kPortalStart = "portal-start";
    static constexpr std::string_view kBrandPortalOv = "brand-portal-ov";
    static constexpr std::string_view kBrandPortalDl = "brand-portal-dl";
    // The TARNO units' portal (the ORLA units' is kPortal).
    static constexpr std::string_view kTarnoPortal = "tarno-portal";

    struct Endpoint {
        std::string host;
        std::uint16_t port = 0;
    };

    // Reads the file; nothing when it cannot be read. Malformed lines are skipped.
    static std::optional<ServerConfig> Load(const std::string& path);
    static ServerConfig Parse(std::string_view text);

    // "host[:port]" as configured, or empty when the role is not configured.
    std::string HostText(std::string_view role) const;
    // Host and port, the configured port replacing `default_port`; nothing when not configured
    // or when the port is not a number from 1 to 65535.
    std::optional<Endpoint> Find(std::string_view role, std::uint16_t default_port) const;

    void Set(std::string_view role, std::string_view host_text);

    // Every configured "host[:port]", once each.
    std::vector<std::string> HostTexts() const;

private:
    std::map<std::string, std::string> hosts_;  // lower-cased role -> host[:port]
};

}  // namespace mapvale
