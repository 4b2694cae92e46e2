#pragma once

#include <httplib.h>

#include <optional>
#include <string>

namespace mapvale::servers {

// Serves a content tree as plain files: what an ordinary web server would do with the folder,
// so that the tree works the same behind nginx.
//
// Files are streamed in bounded pieces (never read whole), with ranges (one range per request;
// several get the whole file). A path that would leave the folder (a ".." component, however
// encoded), a missing file, and a folder answer 404; a file reached through a link that leads out
// of the folder, or one this process may not read, answers 403. Paths arrive as CP949 or UTF-8
// bytes and name UTF-8 files (see RequestTextToUtf8).
//
// Thread safety: Serve may be called from any thread.
class StaticFiles {
public:
    // Nothing, with `error` set, when `folder` is not an existing folder.
    static std::optional<StaticFiles> Open(const std::string& folder, std::string& error);

    // Answers GET, HEAD and POST alike (the client sends its form with every verb). With
    // `honour_ranges` false, Range headers are ignored and Accept-Ranges is not announced.
    void Serve(const httplib::Request& request, httplib::Response& response,
               bool honour_ranges) const;

    // The folder's canonical path, ending in '/'.
    const std::string& root() const { return root_; }

private:
    explicit StaticFiles(std::string root) : root_(std::move(root)) {}

    std::string root_;
};

}  // namespace mapvale::servers
