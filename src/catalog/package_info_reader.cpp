#include "catalog/package_info_reader.h"

#include "catalog/package_info_parser.h"
#include "net/web_post.h"

namespace mapvale::catalog {

namespace {

std::string RemoveAll(std::string text, std::string_view part) {
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

std::string CollapseSlashes(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') {
            continue;
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace

PackageInfoLocation LocatePackageInfo(std::string_view information_root,
                                      std::string_view file_name) {
    const std::string root = RemoveAll(std::string(information_root), "http://");
    const std::size_t slash = root.find('/');
    PackageInfoLocation location;
    location.host = root.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : root.substr(slash);
    location.path = CollapseSlashes(rest + "/" + std::string(file_name));
    return location;
}

int ReadPackageInfo(PackageInfo& context, std::string_view information_root,
                    std::string_view file_name) {
    // Emptied first, so a failed fetch never leaves the previous device's entries behind.
    ParsePackageInfoText(context, {});
    const PackageInfoLocation location = LocatePackageInfo(information_root, file_name);
    if (location.host.empty()) {
        return 0;
    }
    net::CWebPOST client;
    net::WebResponse response;
    if (client.SendRequest(location.host, location.path, response, 80, "GET", false) != 1) {
        return 0;
    }
    ParsePackageInfoText(context, response.Text());
    return 1;
}

}  // namespace mapvale::catalog
