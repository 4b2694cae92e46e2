#include "mapvale-servers/version_query.h"

#include "catalog/package_info_parser.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"
#include "mapvale-servers/world_settings.h"
#include "net/answer_envelope.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// Package information files are a few KB; anything far larger is not one.
constexpr std::uint64_t kMaxInformationFileBytes = 4u << 20;

}  // namespace

VersionQuery::VersionQuery(std::string content_folder, std::string information_folder,
                           std::string base_url, int status)
    : VersionQuery(std::move(content_folder), std::move(information_folder), std::move(base_url),
                   [status] { return status; }) {}

VersionQuery::VersionQuery(std::string content_folder, std::string information_folder,
                           std::string base_url, std::function<int()> status)
    : content_folder_(std::move(content_folder)),
      information_folder_(std::move(information_folder)),
      base_url_(std::move(base_url)),
      status_(std::move(status)) {}

std::function<int()> VersionQuery::WorldStatus(std::string settings_path, int fallback) {
    return [settings_path = std::move(settings_path), fallback] {
        std::string error;
        const auto settings = WorldSettings::Load(settings_path, error);
        return settings ? settings->version_status : fallback;
    };
}

std::string VersionQuery::Answer(std::string_view package) const {
    const std::string not_found = "#!#404|*|0|*|0|*|";
    const auto name = platform::SafeRelativePath(package);
    if (!name || name->find('/') != std::string::npos) {
        return not_found;
    }
    const std::string file_name = *name + ".inf";
    const std::string relative = platform::JoinPath(information_folder_, file_name);
    const std::string path = platform::JoinPath(content_folder_, relative);
    const auto size = platform::FileSize(path);
    if (!size || *size > kMaxInformationFileBytes) {
        return not_found;
    }
    const auto bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        return not_found;
    }
    PackageInfo context;
    catalog::ParsePackageInfoText(
        context, platform::Cp949ToUtf8(*bytes, platform::InvalidBytes::kReplace).text);
    const int version = net::LeadingNumber(catalog::LookupVariable(context, "MAP_VERSION"));
    std::string address = base_url_;
    if (relative.empty() || relative.front() != '/') {
        address += "/";
    }
    address += relative;
    return "#!#200|*|" + std::to_string(version) + "|*|" + std::to_string(status_()) + "|*|" +
           address;
}

void VersionQuery::AddTo(HttpServer& server) const {
    server.AddHandler("/WMK/WMKChkVersion.mms",
                      [this](const httplib::Request& request, httplib::Response& response) {
                          SetCp949Answer(response, Answer(RequestParameters(request).Get("D1")));
                      });
}

}  // namespace mapvale::servers
