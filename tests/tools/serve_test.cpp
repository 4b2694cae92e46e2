// The `serve` command as a client sees it: the real program, started on loopback, asked with
// libcurl.

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::testing {
namespace {

using namespace std::chrono_literals;

struct Answer {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::uint64_t received = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    bool reused_connection = false;

    std::string Header(const std::string& name) const {
        const auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
};

// What to ask: Ask().Method("POST").Form("D1=a").Header("Range: bytes=0-9").
struct Ask {
    std::string method = "GET";                      // GET, HEAD or POST
    std::optional<std::string> form;                 // a form-encoded body, sent with any verb
    std::vector<std::string> headers;                // "Range: bytes=0-9"
    bool keep_body = true;                           // false: count the bytes only
    std::atomic<std::uint64_t>* progress = nullptr;  // bytes received so far, for another thread

    Ask& Method(std::string verb) {
        method = std::move(verb);
        return *this;
    }
    Ask& Form(std::string body) {
        form = std::move(body);
        return *this;
    }
    Ask& Header(std::string line) {
        headers.push_back(std::move(line));
        return *this;
    }
    Ask& CountOnly() {
        keep_body = false;
        return *this;
    }
    Ask& Progress(std::atomic<std::uint64_t>& bytes) {
        progress = &bytes;
        return *this;
    }
};

// One libcurl handle; requests made with it reuse its connection when the server allows.
class Client {
public:
    Client() : curl_(curl_easy_init()) {}
    ~Client() { curl_easy_cleanup(curl_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    Answer Fetch(const std::string& url, const Ask& ask = {}) {
        Answer answer;
        Receiver receiver{&answer, &ask};
        curl_easy_reset(curl_);
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        // Paths are sent as written, "/../" included: the server has to refuse them itself.
        curl_easy_setopt(curl_, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &Client::OnBody);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &receiver);
        curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &Client::OnHeader);
        curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &answer);
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT, 120L);
        if (ask.form) {
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, ask.form->c_str());
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE, static_cast<long>(ask.form->size()));
        }
        if (ask.method == "HEAD") {
            curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
        } else if (ask.method == "POST") {
            curl_easy_setopt(curl_, CURLOPT_POST, 1L);
        } else if (ask.form) {
            curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, ask.method.c_str());
        }
        curl_slist* headers = nullptr;
        for (const std::string& header : ask.headers) {
            headers = curl_slist_append(headers, header.c_str());
        }
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
        answer.code = curl_easy_perform(curl_);
        curl_slist_free_all(headers);
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &answer.status);
        long connects = 0;
        curl_easy_getinfo(curl_, CURLINFO_NUM_CONNECTS, &connects);
        answer.reused_connection = answer.code == CURLE_OK && connects == 0;
        return answer;
    }

private:
    struct Receiver {
        Answer* answer;
        const Ask* ask;
    };

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* receiver = static_cast<Receiver*>(user);
        const size_t bytes = size * count;
        if (receiver->ask->keep_body) {
            receiver->answer->body.append(data, bytes);
        }
        receiver->answer->received += bytes;
        if (receiver->ask->progress != nullptr) {
            *receiver->ask->progress = receiver->answer->received;
        }
        return bytes;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* answer = static_cast<Answer*>(user);
        const std::string line(data, size * count);
        if (line.rfind("HTTP/", 0) == 0) {
            answer->headers.clear();  // a new status line ("100 Continue" came first)
        }
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            value.erase(value.find_last_not_of("\r\n") + 1);
            answer->headers[name] = value;
        }
        return size * count;
    }

    CURL* curl_;
};

Answer Fetch(const std::string& url, const Ask& ask = {}) {
    return Client().Fetch(url, ask);
}

// Bytes whose every position is recognisable.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    return bytes;
}

// The peak resident memory of a process, in KiB.
std::uint64_t PeakMemoryKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoull(line.substr(6));
        }
    }
    return 0;
}

class ServeTest : public ::testing::Test {
protected:
    ServeTest() {
        file_ = Pattern(1000);
        sandbox_.Write("content/a.txt", file_);
        sandbox_.Write("content/sub/b.bin", Pattern(10000));
        sandbox_.Write("content/empty.txt", "");
        sandbox_.Write("content/지도/한글.txt", "korean");
        sandbox_.Write("secret.txt", "secret");
        std::filesystem::create_symlink(sandbox_.Path("secret.txt"), sandbox_.Path("content/out"));
    }

    std::vector<std::string> Serve(std::vector<std::string> more = {}) const {
        std::vector<std::string> args{"serve", "--content", sandbox_.Path("content")};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    Sandbox sandbox_;
    std::string file_;
};

TEST_F(ServeTest, AnswersRangesWithTheRightBytes) {
    ServerProcess server(Serve());
    ASSERT_TRUE(server.ok()) << server.error();
    const struct {
        const char* range;
        long status;
        const char* content_range;
        std::size_t first;
        std::size_t length;
    } cases[] = {
        {"bytes=10-19", 206, "bytes 10-19/1000", 10, 10},
        {"bytes=990-", 206, "bytes 990-999/1000", 990, 10},
        {"bytes=-5", 206, "bytes 995-999/1000", 995, 5},
        {"bytes=995-5000", 206, "bytes 995-999/1000", 995, 5},
        {"bytes=1000-", 416, "bytes */1000", 0, 0},      // at the end
        {"bytes=1500-1600", 416, "bytes */1000", 0, 0},  // past it
        {"bytes=0-1,5-6", 200, "", 0, 1000},             // several ranges: the whole file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        const Answer answer =
            Fetch(server.Url("/a.txt"), Ask().Header(std::string("Range: ") + c.range));
        EXPECT_EQ(answer.code, CURLE_OK);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.Header("content-range"), c.content_range);
        EXPECT_EQ(answer.Header("content-length"), std::to_string(c.length));
        EXPECT_EQ(answer.body, file_.substr(c.first, c.length));
    }
}

TEST_F(ServeTest, HeadPostAndEmptyFiles) {
    ServerProcess server(Serve());
    ASSERT_TRUE(server.ok()) << server.error();

    const Answer head = Fetch(server.Url("/a.txt"), Ask().Method("HEAD"));
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), "1000");
    EXPECT_EQ(head.Header("accept-ranges"), "bytes");
    EXPECT_EQ(head.Header("content-type"), "text/plain");
    EXPECT_TRUE(head.body.empty());

    // The client sends its form with every verb; a POST to a file answers the file.
    const Answer post = Fetch(server.Url("/sub/b.bin"), Ask().Method("POST").Form("D1=x"));
    EXPECT_EQ(post.status, 200);
    EXPECT_EQ(post.Header("content-type"), "application/octet-stream");
    EXPECT_EQ(post.body, Pattern(10000));

    const Answer empty = Fetch(server.Url("/empty.txt"));
    EXPECT_EQ(empty.code, CURLE_OK);
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.Header("content-length"), "0");
}

TEST_F(ServeTest, KeepsRequestsInsideTheContentFolder) {
    ServerProcess server(Serve());
    ASSERT_TRUE(server.ok()) << server.error();
    const struct {
        const char* path;
        long status;
    } cases[] = {
        {"/missing.txt", 404},
        {"/sub", 404},  // folders are never listed
        {"/sub/", 404},
        {"/", 404},
        {"/../secret.txt", 404},
        {"/%2e%2e/secret.txt", 404},
        {"/sub/%2E%2E/%2e%2e/secret.txt", 404},
        {"/..%2fsecret.txt", 404},
        {"/..%5csecret.txt", 404},
        {"/sub/..\\..\\secret.txt", 404},
        {"/%00a.txt", 404},
        {"/out", 403},  // a link that leads out of the folder
        {"//sub//b.bin", 200},
        {"/sub/./b.bin", 200},
        {"/%ec%a7%80%eb%8f%84/%ed%95%9c%ea%b8%80.txt", 200},  // UTF-8 name
        {"/%c1%f6%b5%b5/%c7%d1%b1%db.txt", 200},              // the client's CP949 name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Answer answer = Fetch(server.Url(c.path));
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.body.find("secret"), std::string::npos);
    }
}

TEST_F(ServeTest, StreamsLargeFilesInFlatMemory) {
    constexpr std::uint64_t kSize = 256ULL * 1024 * 1024;
    ASSERT_EQ(truncate(sandbox_.Write("content/big.bin", "").c_str(), kSize), 0);
    ServerProcess server(Serve());
    ASSERT_TRUE(server.ok()) << server.error();
    // A first answer brings the server to its working size (threads, buffers, and what a
    // sanitizer runtime adds for them); the big file may only add a little to that.
    EXPECT_EQ(Fetch(server.Url("/a.txt")).body, file_);
    const std::uint64_t before = PeakMemoryKib(server.pid());
    ASSERT_GT(before, 0u);

    const Answer answer = Fetch(server.Url("/big.bin"), Ask().CountOnly());
    EXPECT_EQ(answer.code, CURLE_OK);
    EXPECT_EQ(answer.received, kSize);
    // A file read whole would raise the peak by its size; streaming costs a few pieces.
    const std::uint64_t after = PeakMemoryKib(server.pid());
    EXPECT_LT(after - before, 32u * 1024) << "peak before " << before << " KiB, after " << after;
}

TEST_F(ServeTest, ResetsCutBodiesShort) {
    {
        // Once: only the first answer with a body.
        ServerProcess server(Serve({"--reset-after", "100"}));
        ASSERT_TRUE(server.ok()) << server.error();
        const Answer head = Fetch(server.Url("/a.txt"), Ask().Method("HEAD"));  // not counted
        EXPECT_EQ(head.code, CURLE_OK);
        const Answer cut = Fetch(server.Url("/a.txt"));
        EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
        EXPECT_EQ(cut.Header("content-length"), "1000");
        EXPECT_EQ(cut.body, file_.substr(0, 100));
        const Answer whole = Fetch(server.Url("/a.txt"));
        EXPECT_EQ(whole.code, CURLE_OK);
        EXPECT_EQ(whole.body, file_);
    }
    {
        // Every second answer to *.bin; other paths do not count.
        ServerProcess server(
            Serve({"--reset-after", "4096", "--reset-every", "2", "--reset-path", "*.bin"}));
        ASSERT_TRUE(server.ok()) << server.error();
        const struct {
            const char* path;
            CURLcode code;
            std::size_t received;
        } sequence[] = {
            {"/sub/b.bin", CURLE_OK, 10000},          {"/a.txt", CURLE_OK, 1000},
            {"/sub/b.bin", CURLE_PARTIAL_FILE, 4096}, {"/sub/b.bin", CURLE_OK, 10000},
            {"/sub/b.bin", CURLE_PARTIAL_FILE, 4096},
        };
        for (const auto& step : sequence) {
            const Answer answer = Fetch(server.Url(step.path));
            EXPECT_EQ(answer.code, step.code) << step.path;
            EXPECT_EQ(answer.received, step.received) << step.path;
        }
        // A range request is cut within its part.
        const Answer part = Fetch(server.Url("/sub/b.bin"), Ask().Header("Range: bytes=5000-"));
        EXPECT_EQ(part.code, CURLE_OK);
        const Answer cut_part = Fetch(server.Url("/sub/b.bin"), Ask().Header("Range: bytes=5000-"));
        EXPECT_EQ(cut_part.code, CURLE_PARTIAL_FILE);
        EXPECT_EQ(cut_part.body, Pattern(10000).substr(5000, 4096));
    }
}

TEST_F(ServeTest, InjectsStatusesAndIgnoresRanges) {
    ServerProcess server(Serve({"--status", "503:/busy/*", "--status", "404:*.mms", "--status",
                                "500:/sub/*", "--ignore-range"}));
    ASSERT_TRUE(server.ok()) << server.error();
    const struct {
        const char* path;
        long status;
    } cases[] = {
        {"/busy/deep/x.zip", 503},
        {"/WMK/WMKChkDown.mms", 404},
        {"/sub/b.bin", 500},  // even though the file exists
        {"/a.txt", 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fetch(server.Url(c.path)).status, c.status) << c.path;
        EXPECT_EQ(Fetch(server.Url(c.path), Ask().Method("POST").Form("D1=a")).status, c.status)
            << c.path;
    }
    EXPECT_EQ(Fetch(server.Url("/busy/x")).body, "503 Service Unavailable\n");

    const Answer ignored = Fetch(server.Url("/a.txt"), Ask().Header("Range: bytes=10-19"));
    EXPECT_EQ(ignored.status, 200);
    EXPECT_EQ(ignored.body, file_);
    EXPECT_EQ(ignored.Header("accept-ranges"), "");
    EXPECT_EQ(ignored.Header("content-range"), "");
}

TEST_F(ServeTest, ThrottledBodiesArriveWholeAndStopEndsThem) {
    {
        ServerProcess server(Serve({"--throttle", "400000"}));
        ASSERT_TRUE(server.ok()) << server.error();
        const Answer answer = Fetch(server.Url("/sub/b.bin"));
        EXPECT_EQ(answer.code, CURLE_OK);
        EXPECT_EQ(answer.body, Pattern(10000));
    }
    // At 1000 bytes a second the file would take ten seconds; stopping the server ends the
    // answer short and the server still exits cleanly.
    ServerProcess server(Serve({"--throttle", "1000"}));
    ASSERT_TRUE(server.ok()) << server.error();
    std::atomic<std::uint64_t> progress{0};
    Answer answer;
    std::thread client([&] { answer = Fetch(server.Url("/sub/b.bin"), Ask().Progress(progress)); });
    EXPECT_TRUE(WaitUntil([&] { return progress.load() > 0; }, 30s));
    EXPECT_EQ(server.Stop(), 0);
    client.join();
    EXPECT_NE(answer.code, CURLE_OK);
    EXPECT_LT(answer.received, 10000u);
    EXPECT_EQ(answer.body, Pattern(10000).substr(0, answer.received));
}

TEST_F(ServeTest, LogsWhatTheClientSent) {
    const std::string log = sandbox_.Path("requests.log");
    ServerProcess server(
        Serve({"--request-log", log, "--reset-after", "10", "--reset-path", "/sub/*"}));
    ASSERT_TRUE(server.ok()) << server.error();

    // As the client sends it: the form in the query and again as the body of a GET. 한글 and
    // 홍길동 in CP949; 0x80 is no CP949 character.
    const std::string form = "D1=%c7%d1%b1%db&D2=a+b&D3=%80";
    Client client;
    const Answer get =
        client.Fetch(server.Url("/a.txt?" + form), Ask().Form(form).Header("Range: bytes=0-9"));
    EXPECT_EQ(get.status, 206);
    // The body was read: the same connection carries the next request.
    const Answer next = client.Fetch(server.Url("/a.txt"));
    EXPECT_TRUE(next.reused_connection);
    EXPECT_EQ(next.body, file_);
    Fetch(server.Url("/sub/b.bin"), Ask().Method("POST").Form("D1=%c8%ab%b1%e6%b5%bf"));
    Fetch(server.Url("/a.txt"), Ask().Method("HEAD"));
    Fetch(server.Url("/%c1%f6%b5%b5/missing"));

    std::vector<LoggedRequest> requests;
    ASSERT_TRUE(WaitUntil([&] {
        requests = ReadRequestLog(log);
        return requests.size() >= 5;
    }));
    ASSERT_EQ(requests.size(), 5u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].number, i + 1);
    }
    const LoggedRequest& first = requests[0];
    EXPECT_EQ(first.method, "GET");
    EXPECT_EQ(first.path, "/a.txt");
    const std::vector<std::pair<std::string, std::string>> fields = {
        {"D1", "한글"}, {"D2", "a b"}, {"D3", "?"}};
    EXPECT_EQ(first.query, fields);
    EXPECT_EQ(first.form, fields);
    EXPECT_EQ(first.range, "bytes=0-9");
    EXPECT_EQ(first.status, 206);
    EXPECT_EQ(first.length, 10u);
    EXPECT_EQ(first.sent, 10u);
    EXPECT_EQ(first.outcome, "ok");

    EXPECT_TRUE(requests[1].query.empty());
    EXPECT_TRUE(requests[1].form.empty());
    EXPECT_EQ(requests[1].sent, 1000u);

    const LoggedRequest& post = requests[2];
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.Parameter("D1"), "홍길동");
    EXPECT_EQ(post.length, 10000u);
    EXPECT_EQ(post.sent, 10u);
    EXPECT_EQ(post.outcome, "cut");

    EXPECT_EQ(requests[3].method, "HEAD");
    EXPECT_EQ(requests[3].length, 1000u);
    EXPECT_EQ(requests[3].sent, 0u);

    EXPECT_EQ(requests[4].path, "/지도/missing");
    EXPECT_EQ(requests[4].status, 404);
}

TEST_F(ServeTest, StopsCleanlyAndRefusesBadCommandLines) {
    ServerProcess server(Serve());
    ASSERT_TRUE(server.ok()) << server.error();
    EXPECT_EQ(server.host(), "127.0.0.1");
    EXPECT_EQ(server.address(), "127.0.0.1:" + std::to_string(server.port()));
    // An idle kept-alive connection does not hold the server up.
    Client idle;
    EXPECT_EQ(idle.Fetch(server.Url("/a.txt")).status, 200);
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(server.Stop(), 0);

    ServerProcess no_content({"serve"});
    EXPECT_FALSE(no_content.ok());
    EXPECT_NE(no_content.error().find("exit status 2"), std::string::npos) << no_content.error();

    ServerProcess missing_folder({"serve", "--content", sandbox_.Path("nowhere")});
    EXPECT_FALSE(missing_folder.ok());
    EXPECT_NE(missing_folder.error().find("exit status 2"), std::string::npos);
}

}  // namespace
}  // namespace mapvale::testing
