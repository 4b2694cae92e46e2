#include "net/version_request.h"

#include <gtest/gtest.h>

#include "net/web_post.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::net {
namespace {

TEST(VersionRequestTest, ServerVersionsAreBroughtToTheCardsUnit) {
    EXPECT_EQ(NormalizeServerVersion(123456), 12345600);
    EXPECT_EQ(NormalizeServerVersion(1234567), 12345607);
    EXPECT_EQ(NormalizeServerVersion(12345678), 12345678);
    EXPECT_EQ(NormalizeServerVersion(999999), 99999900);
    EXPECT_EQ(NormalizeServerVersion(1000000), 10000000);
    EXPECT_EQ(NormalizeServerVersion(0), 0);
    // A server number far out of range saturates instead of wrapping.
    EXPECT_EQ(NormalizeServerVersion(-2147483648LL), -2147483647 - 1);
}

TEST(VersionRequestTest, AnswersAreReadOnlyWhenWhole) {
    const auto answer = ParseVersionAnswer("#!#200|*|1234567|*|1|*| http://h:1/info/A.inf \r\n");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->server_version, 12345607);
    EXPECT_EQ(answer->status, 1);
    EXPECT_FALSE(answer->InMaintenance());
    EXPECT_EQ(answer->package_info_address, "http://h:1/info/A.inf");
    for (const int status : {0, 2}) {
        EXPECT_TRUE(
            ParseVersionAnswer("#!#200|*|5|*|" + std::to_string(status) + "|*|x")->InMaintenance());
    }
    // The server's own "not found" reads as a failed request, and so does everything short of an
    // answer.
    for (const std::string text :
         {"#!#404|*|0|*|0|*|", "200|*|5|*|1|*|x", "", "#!#", "#!#200|*|5|*|1",
          "#!#200 |*|5|*|1|*|x", "#!#200|*|abc|*|1|*|x", "#!#200|*|5|*|x1|*|x",
          "#!#200|*|99999999999|*|1|*|x", "#!#200|*||*|1|*|x"}) {
        EXPECT_FALSE(ParseVersionAnswer(text)) << text;
    }
    // A huge answer is read once and without trouble.
    const std::string huge = "#!#200|*|7|*|1|*|" + std::string(8u << 20, 'a');
    const auto big = ParseVersionAnswer(huge);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->package_info_address.size(), 8u << 20);
}

TEST(VersionRequestTest, AsksTheRegistrationServerWithThePackageName) {
    testing::Sandbox box;
    box.Write("content/WMK/WMKChkVersion.mms", "#!#200|*|20240115|*|1|*|http://h/i/HX100.inf");
    testing::ServerProcess server(
        {"serve", "--content", box.Path("content"), "--request-log", box.Path("requests.log")});
    ASSERT_TRUE(server.ok()) << server.error();
    ServerConfig servers;
    CWebPOST web;
    EXPECT_FALSE(RequestVersion(web, servers, "HX100"));  // not configured: nothing is asked
    servers.Set(ServerConfig::kRegistration, server.address());
    const auto answer = RequestVersion(web, servers, "맵 HX100");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->server_version, 20240115);
    EXPECT_EQ(answer->package_info_address, "http://h/i/HX100.inf");
    ASSERT_TRUE(testing::WaitUntil(
        [&] { return testing::ReadRequestLog(box.Path("requests.log")).size() == 1; }));
    const auto logged = testing::ReadRequestLog(box.Path("requests.log")).front();
    EXPECT_EQ(logged.method, "GET");
    EXPECT_EQ(logged.path, "/WMK/WMKChkVersion.mms");
    EXPECT_EQ(logged.query, (std::vector<std::pair<std::string, std::string>>{
                                {"D1", "맵 HX100"}, {"D2", "OV"}, {"D3", ""}}));

    // A failed request is a failure, whatever its body says.
    box.Write("content/WMK/WMKChkVersion.mms", "#!#200|*|1|*|1|*|x");
    testing::ServerProcess refusing(
        {"serve", "--content", box.Path("content"), "--status", "500:/WMK/*"});
    ASSERT_TRUE(refusing.ok()) << refusing.error();
    servers.Set(ServerConfig::kRegistration, refusing.address());
    EXPECT_FALSE(RequestVersion(web, servers, "HX100"));
}

}  // namespace
}  // namespace mapvale::net
