#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mapvale::net {

// A form upload whose body is `head`, then the bytes of the file at `file_path`, then `tail`.
// The file is read while sending, never held whole.
struct StreamedBody {
    std::string content_type;  // "multipart/form-data; boundary=..."
    std::string head;
    std::string file_path;
    std::uint64_t file_size = 0;  // what the announced length counts; the file must still hold it
    std::string tail;
};

// The server's answer to an upload.
struct PostAnswer {
    int status = 600;   // 600 when no status came
    bool text = false;  // its Content-Type starts with "text/"
    // Exactly the announced Content-Length bytes; empty when the server announced none or
    // more than the cap.
    std::string body;
};

// The agent text the photo board knows its uploads by (sent in CP949).
inline constexpr std::string_view kUploadAgent = "사용자향 Agent";
// The file goes out in pieces of this size.
inline constexpr std::size_t kUploadPiece = 4096;
// Answers longer than this are not read.
inline constexpr std::size_t kUploadAnswerCap = 64 * 1024;

// POSTs `body` to `host` (which may carry ":port") at `path` over HTTP/1.1 with the length
// announced before sending, no "Expect: 100-continue", the agent kUploadAgent and no caching.
// 1 when the server answered (whatever its status; see `answer`), 0 when no answer came: no
// connection, the file could not be read or was shorter than announced, or a stall of
// `stall_limit_ms`.
int SendStreamedPost(std::string_view host, std::string_view path, const StreamedBody& body,
                     PostAnswer& answer, long stall_limit_ms = 60'000);

}  // namespace mapvale::net
