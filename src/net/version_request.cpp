#include "net/version_request.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "net/answer_envelope.h"
#include "net/web_post.h"
#include "platform/text.h"

namespace mapvale::net {

namespace {

constexpr std::string_view kListSeparator = "|*|";

std::optional<std::int32_t> DecimalNumber(std::string_view text) {
    text = platform::TrimText(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::int32_t NormalizeServerVersion(std::int64_t version) {
    std::int64_t normal = version;
    if (version < 1'000'000) {
        normal = version * 100;
    } else if (version < 10'000'000) {
        normal = (version / 10) * 100 + version % 10;
    }
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(normal, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

std::optional<VersionAnswer> ParseVersionAnswer(std::string_view text) {
    const AnswerEnvelope envelope(text);
    if (envelope.SectionCount() < 2) {
        return std::nullopt;
    }
    const std::string payload = envelope.Section(1);
    const std::vector<std::string_view> fields = PieceViews(payload, kListSeparator, 4);
    if (fields.size() < 4 || fields[0] != "200") {
        return std::nullopt;
    }
    const auto version = DecimalNumber(fields[1]);
    const auto status = DecimalNumber(fields[2]);
    if (!version || !status) {
        return std::nullopt;
    }
    VersionAnswer answer;
    answer.server_version = NormalizeServerVersion(*version);
    answer.status = *status;
    answer.package_info_address = std::string(platform::TrimText(fields[3]));
    return answer;
}

std::optional<VersionAnswer> RequestVersion(CWebPOST& web, const ServerConfig& servers,
                                            std::string_view package_name) {
    const std::string host = servers.HostText(ServerConfig::kRegistration);
    if (host.empty()) {
        return std::nullopt;
    }
    web.ClearParameters();
    web.AddParameter("D1", package_name);
    web.AddParameter("D2", "OV");
    web.AddParameter("D3", "");
    WebResponse response;
    const int sent = web.SendRequest(host, kVersionQueryPath, response, 80, "GET", false);
    web.ClearParameters();
    if (sent != 1) {
        return std::nullopt;
    }
    return ParseVersionAnswer(response.Text());
}

}  // namespace mapvale::net
