#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mapvale::servers {

class HttpServer;

// The tray agent's version query, "/WMK/WMKChkVersion.mms" on the registration server: D1 is a
// package (model) name, D2 "OV", D3 empty. The answer's payload (section 1) is
//
//   200|*|<server version>|*|<status>|*|<address of the package information file>
//
// for a package whose information file lies in the information folder of the content tree: the
// version is the file's MAP_VERSION variable (0 without one), the status the world's (0 or 2 mean
// maintenance; a world's query reads `version-status` of its world.conf at every query, so a
// test or a person can flip maintenance while the servers run). A package that is not there, or a
// name that is not a plain file name, gets "404|*|0|*|0|*|", which the client reads as a failed
// request.
//
// Thread safety: Answer may be called from any thread.
class VersionQuery {
public:
    // `content_folder` is the content tree on disk; `information_folder` its folder of package
    // information files ("/vehicle/Waymark/PackageInfo"); `base_url` what the content tree is
    // served as ("http://127.0.0.1:18080").
    VersionQuery(std::string content_folder, std::string information_folder, std::string base_url,
                 int status);
    // The status as `status` answers it at each query; it is called from the server's threads.
    VersionQuery(std::string content_folder, std::string information_folder, std::string base_url,
                 std::function<int()> status);

    // `version-status` of the world.conf at `settings_path`, read anew at each call; `fallback`
    // while the file cannot be read or is not valid (a half-written edit).
    static std::function<int()> WorldStatus(std::string settings_path, int fallback);

    // The answer text.
    std::string Answer(std::string_view package) const;

    // Adds the endpoint to `server`; the query must outlive it.
    void AddTo(HttpServer& server) const;

private:
    std::string content_folder_;
    std::string information_folder_;
    std::string base_url_;
    std::function<int()> status_;
};

}  // namespace mapvale::servers
