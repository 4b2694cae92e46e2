#include "net/multipart_post.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "net/curl_easy.h"
#include "net/web_post.h"
#include "platform/encoding.h"

namespace mapvale::net {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Hands curl the head, the file (at most kUploadPiece bytes a call) and the tail in turn.
class BodyReader {
public:
    BodyReader(const StreamedBody& body, std::FILE* file) : body_(body), file_(file) {}

    static std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* user) {
        return static_cast<BodyReader*>(user)->Next(buffer, size * count);
    }

private:
    std::size_t Next(char* buffer, std::size_t room) {
        if (stage_ == 0) {
            const std::size_t n = Copy(body_.head, buffer, room);
            if (n > 0) {
                return n;
            }
            stage_ = 1;
        }
        if (stage_ == 1) {
            if (file_sent_ < body_.file_size) {
                const std::size_t want = static_cast<std::size_t>(
                    std::min<std::uint64_t>({room, kUploadPiece, body_.file_size - file_sent_}));
                const std::size_t got = std::fread(buffer, 1, want, file_);
                if (got == 0) {
                    // Shorter than announced: the request cannot be completed honestly.
                    return CURL_READFUNC_ABORT;
                }
                file_sent_ += got;
                return got;
            }
            stage_ = 2;
            offset_ = 0;
        }
        return Copy(body_.tail, buffer, room);
    }

    std::size_t Copy(const std::string& part, char* buffer, std::size_t room) {
        const std::size_t n = std::min(room, part.size() - offset_);
        std::memcpy(buffer, part.data() + offset_, n);
        offset_ += n;
        return n;
    }

    const StreamedBody& body_;
    std::FILE* file_;
    int stage_ = 0;
    std::size_t offset_ = 0;
    std::uint64_t file_sent_ = 0;
};

// Keeps at most the cap; more makes the transfer stop (the answer is then not read).
std::size_t CollectCapped(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const std::size_t n = size * count;
    if (body->size() + n > kUploadAnswerCap) {
        return 0;
    }
    body->append(data, n);
    return n;
}

}  // namespace

int SendStreamedPost(std::string_view host, std::string_view path, const StreamedBody& body,
                     PostAnswer& answer, long stall_limit_ms) {
    answer = PostAnswer();
    std::unique_ptr<std::FILE, FileCloser> file;
    if (body.file_size > 0) {
        file.reset(std::fopen(body.file_path.c_str(), "rb"));
        if (!file) {
            return 0;
        }
    }
    CurlEasy curl;
    if (!curl) {
        return 0;
    }
    const std::string url = BuildUrl(CWebPOST::EncodeHost(host), path, 80, false);
    const std::string agent =
        platform::Utf8ToCp949(kUploadAgent, platform::InvalidBytes::kReplace).text;
    const std::string content_type = "Content-Type: " + body.content_type;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
    const curl_off_t length =
        static_cast<curl_off_t>(body.head.size() + body.file_size + body.tail.size());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, length);
    BodyReader reader(body, file.get());
    curl_easy_setopt(curl.get(), CURLOPT_READFUNCTION, &BodyReader::Read);
    curl_easy_setopt(curl.get(), CURLOPT_READDATA, &reader);
    curl.AddHeader("Cache-Control: no-cache");
    curl.AddHeader("Pragma: no-cache");
    curl.AddHeader(content_type.c_str());
    curl.AddHeader("Expect:");
    // A stalled exchange is a failed one.
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, std::max(1L, stall_limit_ms / 1000));
    std::string received;
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &CollectCapped);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &received);

    const CURLcode code = curl_easy_perform(curl.get());
    const long status = curl.Status();
    if (status == 0 || (code != CURLE_OK && code != CURLE_WRITE_ERROR)) {
        return 0;
    }
    answer.status = static_cast<int>(status);
    const char* type = nullptr;
    if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK &&
        type != nullptr) {
        answer.text = std::strncmp(type, "text/", 5) == 0;
    }
    const curl_off_t announced = curl.ContentLength();
    if (code == CURLE_OK && announced >= 0 &&
        static_cast<std::uint64_t>(announced) == received.size()) {
        answer.body = std::move(received);
    }
    return 1;
}

}  // namespace mapvale::net
