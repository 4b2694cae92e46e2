#include "ui/web/panel_addresses.h"

#include <cctype>

#include "app/text_scrambler.h"
#include "model/server_config.h"

namespace mapvale::ui {

namespace {

std::string Address(const ServerConfig& servers, std::string_view role, std::string_view path) {
    const std::string host = servers.HostText(role);
    return host.empty() ? std::string() : "http://" + host + std::string(path);
}

// Query values leave the program percent-encoded (the scrambled identifier is hexadecimal and
// passes unchanged; the map value is the controller's and may hold anything).
std::string QueryValue(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

std::string WithD1(std::string base, std::string_view value) {
    return base.empty() ? base : base + QueryValue(value);
}

}  // namespace

std::string NoticeBoardAddress(const ServerConfig& servers) {
    return Address(servers, ServerConfig::kRegistration, "/AVNproduct/support/notice/%20");
}

std::string OrlaAddOnAddress(const ServerConfig& servers, std::string_view user_id) {
    return WithD1(
        Address(servers, ServerConfig::kPortal, "/WMKproduct/addition_service/index.mms?D1="),
        app::ScrambleText(user_id));
}

std::string TarnoAddOnAddress(const ServerConfig& servers, std::string_view user_id) {
    return WithD1(
        Address(servers, ServerConfig::kTarnoPortal, "/WMKproduct/serviceM/index.mms?D1="),
        app::ScrambleText(user_id));
}

std::string MapPageAddress(const ServerConfig& servers, std::string_view map_value) {
    return WithD1(Address(servers, ServerConfig::kMapContent, "/Scripts/WithMap.aspx?D1="),
                  map_value);
}

}  // namespace mapvale::ui
