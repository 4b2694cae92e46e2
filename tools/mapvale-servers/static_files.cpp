#include "mapvale-servers/static_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "mapvale-servers/byte_range.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_text.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// Bytes read from a file at a time; with the socket's own buffers, all a download costs.
constexpr std::size_t kPiece = 128 * 1024;

// An open file and the buffer its pieces pass through. Shared by the copies httplib makes of
// the body provider; closed with the last of them.
struct FileBody {
    explicit FileBody(int descriptor) : fd(descriptor) {}
    ~FileBody() { ::close(fd); }
    FileBody(const FileBody&) = delete;
    FileBody& operator=(const FileBody&) = delete;

    int fd;
    std::vector<char> buffer;
};

std::string ContentType(const std::string& path) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {".txt", "text/plain"},        {".htm", "text/html"},
        {".html", "text/html"},        {".xml", "application/xml"},
        {".json", "application/json"}, {".css", "text/css"},
        {".js", "text/javascript"},    {".png", "image/png"},
        {".jpg", "image/jpeg"},        {".jpeg", "image/jpeg"},
        {".gif", "image/gif"},         {".bmp", "image/bmp"},
        {".zip", "application/zip"},   {".exe", "application/octet-stream"},
        {".mms", "text/html"},         {".aspx", "text/html"},
    };
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "application/octet-stream";
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [suffix, type] : kTypes) {
        if (extension == suffix) {
            return type;
        }
    }
    return "application/octet-stream";
}

// Where an open descriptor really leads, links resolved; empty when unknown.
std::string OpenedPath(int fd, const std::string& opened_as) {
    char target[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), target, sizeof(target) - 1);
    if (length > 0) {
        return std::string(target, static_cast<std::size_t>(length));
    }
    // Without /proc, resolve the name instead (a link swapped in between could slip through).
    char* resolved = ::realpath(opened_as.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string path(resolved);
    std::free(resolved);
    return path;
}

}  // namespace

std::optional<StaticFiles> StaticFiles::Open(const std::string& folder, std::string& error) {
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        error = "the content folder " + folder + " cannot be opened: " + std::strerror(errno);
        return std::nullopt;
    }
    std::string root(resolved);
    std::free(resolved);
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "the content folder " + folder + " is not a folder";
        return std::nullopt;
    }
    if (root.back() != '/') {
        root.push_back('/');
    }
    return StaticFiles(std::move(root));
}

void StaticFiles::Serve(const httplib::Request& request, httplib::Response& response,
                        bool honour_ranges) const {
    std::string name = RequestTextToUtf8(request.path);
    // The path is absolute in the URL; inside the folder it is relative.
    name.erase(0, name.find_first_not_of("/\\"));
    const auto relative = platform::SafeRelativePath(name);
    if (!relative || relative->empty()) {
        HttpServer::SetStatusAnswer(response, 404);
        return;
    }
    const std::string path = root_ + *relative;
    // O_NONBLOCK: opening a FIFO someone left in the tree must not hang the connection.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        HttpServer::SetStatusAnswer(response, errno == EACCES ? 403 : 404);
        return;
    }
    auto file = std::make_shared<FileBody>(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        HttpServer::SetStatusAnswer(response, 404);
        return;
    }
    // Checked on what was opened, not on the name, so a link swapped in meanwhile changes
    // nothing.
    if (OpenedPath(fd, path).rfind(root_, 0) != 0) {
        HttpServer::SetStatusAnswer(response, 403);
        return;
    }

    const auto size = static_cast<std::uint64_t>(info.st_size);
    ByteRange range;
    if (honour_ranges) {
        response.set_header("Accept-Ranges", "bytes");
        range = ParseByteRange(request.get_header_value("Range"), size);
    }
    std::uint64_t first = 0;
    std::uint64_t length = size;
    switch (range.kind) {
        case ByteRange::Kind::kUnsatisfiable:
            response.status = 416;
            response.set_header("Content-Range", "bytes */" + std::to_string(size));
            return;
        case ByteRange::Kind::kPart:
            response.status = 206;
            response.set_header("Content-Range", ContentRangeValue(range, size));
            first = range.first;
            length = range.length();
            break;
        case ByteRange::Kind::kWhole:
            response.status = 200;
            break;
    }
    const std::string type = ContentType(*relative);
    if (length == 0) {
        response.set_header("Content-Type", type);
        return;
    }
    response.set_content_provider(
        static_cast<std::size_t>(length), type,
        [file, first](std::size_t offset, std::size_t wanted, httplib::DataSink& sink) {
            if (file->buffer.empty()) {
                file->buffer.resize(kPiece);
            }
            const std::size_t want = std::min(wanted, file->buffer.size());
            ssize_t got;
            do {
                got = ::pread(file->fd, file->buffer.data(), want,
                              static_cast<off_t>(first + offset));
            } while (got < 0 && errno == EINTR);
            if (got <= 0) {
                // The file shrank or cannot be read: the answer ends short, never padded.
                return false;
            }
            return sink.write(file->buffer.data(), static_cast<std::size_t>(got));
        });
}

}  // namespace mapvale::servers
