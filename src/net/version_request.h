#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/server_config.h"

namespace mapvale::net {

class CWebPOST;

// The registration server's answer about one package, for the tray agent's card check.
struct VersionAnswer {
    std::int32_t server_version = 0;   // normalised (NormalizeServerVersion)
    std::int32_t status = 0;           // 0 or 2: the server is in maintenance
    std::string package_info_address;  // where the package information file lies, as sent

    bool InMaintenance() const { return status == 0 || status == 2; }
};

inline constexpr std::string_view kVersionQueryPath = "/WMK/WMKChkVersion.mms";

// Server versions come in two older units: below 1,000,000 they lack the last two digits
// (v * 100), below 10,000,000 the digit before the last ((v / 10) * 100 + v % 10); larger
// values are already in the card's unit. The result saturates at the 32-bit range.
std::int32_t NormalizeServerVersion(std::int64_t version);

// The payload of a version answer ("#!#200|*|version|*|status|*|address"): nothing when there is
// no section 1, it has fewer than four "|*|" fields, the result code is not exactly "200", or the
// version or status is not a decimal number of 32 bits (optionally signed, white space around
// allowed). The address is kept as sent, trimmed.
std::optional<VersionAnswer> ParseVersionAnswer(std::string_view text);

// GET kVersionQueryPath on the registration server with D1 = package name, D2 = "OV", D3 empty.
// Nothing when the server is not configured, the request fails (no connection, HTTP status 0 or
// 400-599) or the answer is not one (ParseVersionAnswer).
//
// Blocks for the whole request; the calling thread runs it.
std::optional<VersionAnswer> RequestVersion(CWebPOST& web, const ServerConfig& servers,
                                            std::string_view package_name);

}  // namespace mapvale::net
