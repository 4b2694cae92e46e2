#include "net/web_post.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "model/messages.h"
#include "platform/fake_clock.h"
#include "platform/files.h"
#include "platform/message_queue.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "support/stalling_server.h"

namespace mapvale::net {
namespace {

using testing::LoggedRequest;
using testing::ReadRequestLog;
using testing::Sandbox;
using testing::ServerProcess;
using testing::StallingServer;
using testing::WaitUntil;
using namespace std::chrono_literals;

// Bytes that differ at every offset, so a duplicated or skipped block shows.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

// Reconnection waits on a fake clock that pass `step` each (their own length when zero), noting
// the clock and the file's state at every one.
class RecordingSleeper final : public platform::Sleeper {
public:
    RecordingSleeper(platform::FakeClock& clock, const SharedValue<FileStatus>* state,
                     std::chrono::milliseconds step = 0ms)
        : clock_(clock), state_(state), step_(step) {}

    void Sleep(std::chrono::milliseconds duration) override {
        at_ms.push_back(clock_.NowMs());
        states.push_back(state_ != nullptr ? state_->load() : FileStatus::kNotInJob);
        clock_.Advance(step_ > 0ms ? step_ : duration);
    }
    bool WaitFor(platform::Event&, std::chrono::milliseconds timeout) override {
        Sleep(timeout);
        return false;
    }

    std::vector<std::int64_t> at_ms;
    std::vector<FileStatus> states;

private:
    platform::FakeClock& clock_;
    const SharedValue<FileStatus>* state_;
    std::chrono::milliseconds step_;
};

class WebPostTest : public ::testing::Test {
protected:
    void Serve(std::vector<std::string> options = {}) {
        std::vector<std::string> args{"serve", "--content", box_.Path("content"), "--request-log",
                                      log_path()};
        args.insert(args.end(), options.begin(), options.end());
        server_ = std::make_unique<ServerProcess>(args);
        ASSERT_TRUE(server_->ok()) << server_->error();
    }
    std::string log_path() const { return box_.Path("requests.log"); }
    std::vector<LoggedRequest> Requests(std::size_t at_least) {
        EXPECT_TRUE(WaitUntil([&] { return ReadRequestLog(log_path()).size() >= at_least; }));
        // Lines are written as answers end, which need not be the order requests came in.
        auto requests = ReadRequestLog(log_path());
        std::sort(requests.begin(), requests.end(),
                  [](const auto& a, const auto& b) { return a.number < b.number; });
        return requests;
    }

    Sandbox box_;
    std::unique_ptr<ServerProcess> server_;
};

TEST_F(WebPostTest, RequestsCarryTheParametersAsSent) {
    box_.Write("content/WMK/WMKChkRegist.mms", "200|\xbc\xba\xb0\xf8|x");
    Serve();
    CWebPOST web;
    WebResponse response;
    ASSERT_EQ(
        web.SendRequest(server_->address(), "/WMK/WMKChkRegist.mms", response, 80, "GET", false),
        1);
    EXPECT_EQ(response.Text(), "200|성공|x");
    EXPECT_EQ(response.length, 10);

    EXPECT_EQ(
        web.FetchText(server_->address(), "WMK/WMKChkRegist.mms", "a b%+", "홍길동", "x&y=z", 80),
        "200|성공|x");
    auto requests = Requests(2);
    ASSERT_EQ(requests.size(), 2u);
    // No parameters: an empty query and body.
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_TRUE(requests[0].query.empty());
    EXPECT_TRUE(requests[0].form.empty());
    // Space, '%', '+' and Korean arrive intact; '&' and '=' travel unescaped, so the server
    // splits them as separators, as it always has.
    EXPECT_EQ(requests[1].path, "/WMK/WMKChkRegist.mms");
    EXPECT_EQ(requests[1].Parameter("D1"), "a b%+");
    EXPECT_EQ(requests[1].Parameter("D2"), "홍길동");
    EXPECT_EQ(requests[1].Parameter("D3"), "x");
    EXPECT_EQ(requests[1].Parameter("y"), "z");
    ASSERT_EQ(requests[1].form.size(), requests[1].query.size());  // the body repeats the query

    web.ClearParameters();
    web.AddParameter("D1", "post");
    ASSERT_EQ(
        web.SendRequest(server_->address(), "/WMK/WMKChkRegist.mms", response, 80, "POST", false),
        1);
    requests = Requests(3);
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_TRUE(requests[2].query.empty());
    EXPECT_EQ(requests[2].Parameter("D1"), "post");
}

TEST_F(WebPostTest, StatusRules) {
    box_.Write("content/file.txt", "text");
    Serve({"--status", "404:/missing*", "--status", "302:/moved", "--status", "304:/same",
           "--status", "416:/range", "--status", "500:/broken"});
    CWebPOST web;
    WebResponse response;
    response.data = "untouched";
    const std::string host = server_->address();
    EXPECT_EQ(web.SendRequest(host, "/missing", response, 80, "GET", false), 0);
    EXPECT_EQ(response.data, "untouched");
    EXPECT_EQ(web.SendRequestNoReply(host, "/missing", 80, "GET", false), CWebPOST::kBadStatus);
    EXPECT_EQ(web.SendRequestNoReply(host, "/broken", 80, "POST", false), CWebPOST::kBadStatus);
    EXPECT_EQ(web.SendRequest(host, "/moved", response, 80, "GET", false), 1);
    EXPECT_EQ(web.SendRequestNoReply(host, "/moved", 80, "GET", false), CWebPOST::kOk);
    EXPECT_EQ(web.SendRequestNoReply(host, "/same", 80, "GET", false), CWebPOST::kOk);
    EXPECT_EQ(web.SendRequestNoReply(host, "/file.txt", 80, "GET", false), CWebPOST::kOk);

    std::uint64_t size = 0;
    EXPECT_EQ(web.ProbeUrl(server_->Url("/range"), box_.Path("probe"), true, &size), 1);
    EXPECT_TRUE(platform::FileExists(box_.Path("probe")));
    EXPECT_EQ(web.ProbeUrl(server_->Url("/missing"), box_.Path("probe"), false, &size), 0);
    EXPECT_EQ(web.ProbeUrl(server_->Url("/file.txt"), box_.Path("probe"), false, &size), 1);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(web.DownloadToFile(server_->Url("/missing"), box_.Path("out/missing"), false, nullptr,
                                 nullptr),
              0);
    EXPECT_FALSE(platform::FileExists(box_.Path("out/missing")));  // nothing made for a 404

    // Nobody listening: the connection is refused before any request.
    server_->Stop();
    EXPECT_EQ(web.SendRequestNoReply(host, "/file.txt", 80, "GET", false),
              CWebPOST::kConnectFailed);
}

TEST_F(WebPostTest, NoNetworkFailsAtOnceWithoutARequest) {
    box_.Write("content/file.txt", "text");
    Serve();
    CWebPOST web;
    web.SetConnectivityCheck([](std::string_view) { return false; });
    WebResponse response;
    EXPECT_EQ(web.SendRequestNoReply(server_->address(), "/file.txt", 80, "GET", false),
              CWebPOST::kNoConnection);
    EXPECT_EQ(web.SendRequest(server_->address(), "/file.txt", response, 80, "GET", false), 0);
    EXPECT_EQ(
        web.DownloadToFile(server_->Url("/file.txt"), box_.Path("f"), false, nullptr, nullptr), 0);
    // A request that does go through shows the log was being written all along.
    web.SetConnectivityCheck(nullptr);
    EXPECT_EQ(web.SendRequestNoReply(server_->address(), "/file.txt", 80, "GET", false),
              CWebPOST::kOk);
    EXPECT_EQ(Requests(1).size(), 1u);
}

TEST_F(WebPostTest, DownloadReportsProgressPerBlockAndCountsTotals) {
    const std::string bytes = Pattern(300000);
    box_.Write("content/maps/지도1.zip", bytes);
    Serve();
    CWebPOST web;
    platform::MessageQueue window;
    web.SetProgressWindow(&window);
    web.SetTotalSize(1 << 20);
    web.SetProgressTag(300000);
    SharedValue<FileStatus> state = FileStatus::kToFetch;
    SharedValue<std::int32_t> percent = 0;
    TransferStatus status{&state, &percent, 100000, 400000};
    std::uint64_t file_counter = 1000;
    std::uint64_t package_counter = 50000;
    ASSERT_EQ(web.DownloadToFile(server_->Url("/maps/지도1.zip"), box_.Path("pc/maps/a.zip"), false,
                                 &file_counter, &package_counter, &status),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/maps/a.zip")), bytes);
    EXPECT_EQ(file_counter, 301000u);
    EXPECT_EQ(package_counter, 350000u);
    EXPECT_EQ(percent.load(), 100);
    EXPECT_EQ(state.load(), FileStatus::kDownloading);
    EXPECT_FALSE(web.busy());

    const auto messages = window.Drain();
    ASSERT_GE(messages.size(), 2 * (300000 / CWebPOST::kBlockSize));
    const platform::Message& last_file = messages[messages.size() - 2];
    const platform::Message& last_package = messages.back();
    EXPECT_EQ(last_file.message, kMsgDownloadFileProgress);
    EXPECT_EQ(last_file.w_param, 301000u);
    EXPECT_EQ(last_file.l_param, 300000);
    EXPECT_EQ(last_package.message, kMsgDownloadProgress);
    EXPECT_EQ(last_package.w_param, 350000u / 1024);
    EXPECT_EQ(last_package.l_param, 1024);
    for (std::size_t i = 1; i < messages.size(); i += 2) {
        ASSERT_LE(messages[i - 1].w_param, 301000u);  // blocks never exceed the block size...
        if (i >= 3) {
            EXPECT_LE(messages[i].w_param - messages[i - 2].w_param,
                      CWebPOST::kBlockSize / 1024 + 1);
        }
    }
}

TEST_F(WebPostTest, ResetMidBodyReconnectsAndKeepsEveryByteOnce) {
    const std::string bytes = Pattern(1000000);
    box_.Write("content/span.000", bytes);
    Serve({"--reset-after", "123457"});
    CWebPOST web;
    platform::FakeClock clock;
    SharedValue<FileStatus> state = FileStatus::kToFetch;
    RecordingSleeper sleeper(clock, &state);
    web.SetSleeper(&sleeper);
    web.SetClock(&clock);
    TransferStatus status{&state, nullptr, 0, 1000000};
    ASSERT_EQ(web.DownloadToFile(server_->Url("/span.000"), box_.Path("span.000"), true, nullptr,
                                 nullptr, &status),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("span.000")), bytes);
    // Shown as reconnecting during the pause before each reconnection, downloading once bytes
    // flow again.
    ASSERT_GE(sleeper.states.size(), 1u);
    EXPECT_EQ(sleeper.states,
              std::vector<FileStatus>(sleeper.states.size(), FileStatus::kReconnecting));
    EXPECT_EQ(state.load(), FileStatus::kDownloading);
    const auto requests = Requests(2);
    EXPECT_TRUE(requests[0].range.empty());
    bool ranged = false;
    for (const auto& r : requests) {
        ranged = ranged || !r.range.empty();
    }
    EXPECT_TRUE(ranged);  // the remainder was asked for, not the whole file again
}

TEST_F(WebPostTest, ServerIgnoringRangeStartsTheFileOver) {
    const std::string bytes = Pattern(500000);
    box_.Write("content/span.001", bytes);
    Serve({"--reset-after", "200000", "--ignore-range"});
    CWebPOST web;
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    web.SetSleeper(&sleeper);
    std::uint64_t counter = 0;
    ASSERT_EQ(web.DownloadToFile(server_->Url("/span.001"), box_.Path("span.001"), false, &counter,
                                 nullptr),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("span.001")), bytes);
    EXPECT_EQ(counter, 500000u);
}

TEST_F(WebPostTest, ConnectionThatNeverGetsFurtherIsGivenUp) {
    box_.Write("content/span.002", Pattern(100000));
    // Every answer starts over and is cut at the same place: no attempt gets further.
    Serve({"--reset-after", "30000", "--reset-every", "1", "--ignore-range"});
    CWebPOST web;
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);
    web.SetSleeper(&sleeper);
    EXPECT_EQ(web.DownloadToFile(server_->Url("/span.002"), box_.Path("span.002"), false, nullptr,
                                 nullptr),
              0);
    EXPECT_GT(sleeper.Sleeps().size(), 10u);
    EXPECT_LT(sleeper.Sleeps().size(), 100u);
}

TEST_F(WebPostTest, ReconnectingEndsOnceTheFileHasNotGotFurtherForThePatience) {
    box_.Write("content/span.004", Pattern(100000));
    // Every answer starts over and is cut at the same place; each reconnection takes long (a
    // minute of the fake clock), so the time runs out long before the count.
    Serve({"--reset-after", "30000", "--reset-every", "1", "--ignore-range"});
    CWebPOST web;
    platform::FakeClock clock;
    RecordingSleeper sleeper(clock, nullptr, 1min);
    web.SetSleeper(&sleeper);
    web.SetClock(&clock);
    const std::int64_t start_ms = clock.NowMs();
    EXPECT_EQ(web.DownloadToFile(server_->Url("/span.004"), box_.Path("span.004"), false, nullptr,
                                 nullptr),
              0);
    ASSERT_FALSE(sleeper.at_ms.empty());
    EXPECT_LT(sleeper.at_ms.size(), static_cast<std::size_t>(CWebPOST::kMaxFruitlessReconnects));
    const auto patience = std::chrono::milliseconds(CWebPOST::kReconnectPatience).count();
    for (const std::int64_t at : sleeper.at_ms) {
        EXPECT_LT(at - start_ms, patience);  // no reconnection once the patience is spent
    }
}

TEST_F(WebPostTest, SpanStallingMidBodyFailsWithoutReconnecting) {
    const std::string bytes = Pattern(100000);
    StallingServer server;
    ASSERT_TRUE(server.ok());
    server.StallWith(bytes.size(), bytes.substr(0, 30000));
    CWebPOST web;
    web.SetStallLimit(200ms);
    platform::FakeClock clock;
    SharedValue<FileStatus> state = FileStatus::kToFetch;
    RecordingSleeper sleeper(clock, &state);
    web.SetSleeper(&sleeper);
    web.SetClock(&clock);
    TransferStatus status{&state, nullptr, 0, 100000};
    EXPECT_EQ(web.DownloadToFile(server.Url("/span.005"), box_.Path("span.005"), true, nullptr,
                                 nullptr, &status),
              0);
    EXPECT_EQ(server.paths(), std::vector<std::string>{"/span.005"});  // asked once
    EXPECT_TRUE(sleeper.at_ms.empty());
    EXPECT_EQ(Sandbox::Read(box_.Path("span.005")), bytes.substr(0, 30000));  // the part stays
    EXPECT_FALSE(web.busy());
}

TEST_F(WebPostTest, ProbeOfASilentServerEndsAtTheStallLimitOrACancel) {
    StallingServer server;  // takes the connection and the request, and never answers
    ASSERT_TRUE(server.ok());
    CWebPOST web;
    web.SetStallLimit(200ms);
    std::uint64_t size = 7;
    EXPECT_EQ(web.ProbeUrl(server.Url("/Mapvale.zip"), {}, false, &size), 0);
    EXPECT_EQ(size, 7u);

    // A limit the test would never see the end of: only the cancel, from another thread, ends
    // the probe.
    CWebPOST waiting;
    waiting.SetStallLimit(std::chrono::hours(10));
    int result = -1;
    std::thread prober(
        [&] { result = waiting.ProbeUrl(server.Url("/ZipModule.zip"), {}, false, &size); });
    ASSERT_TRUE(WaitUntil([&] { return server.held() == 2; }));
    waiting.Cancel();
    prober.join();
    EXPECT_EQ(result, 0);
    // Once cancelled, nothing more is asked.
    EXPECT_EQ(waiting.ProbeUrl(server.Url("/MapvaleTray.zip"), {}, false, &size), 0);
    EXPECT_EQ(server.paths(), (std::vector<std::string>{"/Mapvale.zip", "/ZipModule.zip"}));
}

TEST_F(WebPostTest, ResumeAppendsTheRemainderAndACompleteFileStays) {
    const std::string bytes = Pattern(200000);
    box_.Write("content/big.bin", bytes);
    box_.Write("pc/big.bin", bytes.substr(0, 70000));
    Serve();
    CWebPOST web;
    std::uint64_t counter = 0;
    ASSERT_EQ(web.DownloadToFile(server_->Url("/big.bin"), box_.Path("pc/big.bin"), true, &counter,
                                 nullptr),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/big.bin")), bytes);
    EXPECT_EQ(counter, 130000u);
    // Asked again, the file is complete: the server's 416 says so and nothing changes.
    ASSERT_EQ(web.DownloadToFile(server_->Url("/big.bin"), box_.Path("pc/big.bin"), true, &counter,
                                 nullptr),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/big.bin")), bytes);
    // Without resume the file is written anew.
    ASSERT_EQ(web.DownloadToFile(server_->Url("/big.bin"), box_.Path("pc/big.bin"), false, nullptr,
                                 nullptr),
              1);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/big.bin")), bytes);
}

TEST_F(WebPostTest, CancelStopsWithinABlockAndKeepsThePartialFile) {
    box_.Write("content/slow.bin", Pattern(2000000));
    Serve({"--throttle", "400000"});
    CWebPOST web;
    platform::MessageQueue window;
    web.SetProgressWindow(&window);
    int result = -1;
    std::thread worker([&] {
        result = web.DownloadToFile(server_->Url("/slow.bin"), box_.Path("slow.bin"), false,
                                    nullptr, nullptr);
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Size() >= 4; }));
    web.Cancel();
    const std::size_t at_cancel = window.Size();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_LE(window.Size(), at_cancel + 2);  // at most one more block reported
    const auto size = platform::FileSize(box_.Path("slow.bin"));
    ASSERT_TRUE(size);
    EXPECT_GT(*size, 0u);
    EXPECT_LT(*size, 2000000u);
    EXPECT_FALSE(web.busy());
}

TEST_F(WebPostTest, AFullDiskIsToldApartFromOtherFailures) {
    box_.Write("content/x.bin", std::string(100000, 'x'));
    Serve();
    CWebPOST web;
    // Every write to /dev/full fails as on a full disk; resuming keeps the device as it is.
    EXPECT_EQ(web.DownloadToFile(server_->Url("/x.bin"), "/dev/full", true, nullptr, nullptr), 0);
    EXPECT_EQ(web.last_write_error(), ENOSPC);
    // The next download starts afresh.
    EXPECT_EQ(web.DownloadToFile(server_->Url("/missing"), box_.Path("pc/missing"), false, nullptr,
                                 nullptr),
              0);
    EXPECT_EQ(web.last_write_error(), 0);
}

TEST_F(WebPostTest, FolderThatCannotBeMadeFails) {
    box_.Write("content/x.bin", "x");
    box_.Write("pc/blocker", "a file where a folder should be");
    Serve();
    CWebPOST web;
    EXPECT_EQ(web.DownloadToFile(server_->Url("/x.bin"), box_.Path("pc/blocker/sub/x.bin"), false,
                                 nullptr, nullptr),
              0);
    EXPECT_EQ(Sandbox::Read(box_.Path("pc/blocker")), "a file where a folder should be");
}

}  // namespace
}  // namespace mapvale::net
