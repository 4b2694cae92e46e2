#include <gtest/gtest.h>

#include "mapvale-servers/request_log.h"
#include "mapvale-servers/request_text.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::servers {
namespace {

TEST(RequestTextTest, DecodesFormFields) {
    EXPECT_EQ(PercentDecode("a+b%41%4a%zz%4", true), "a bAJ%zz%4");
    EXPECT_EQ(PercentDecode("a+b", false), "a+b");

    const std::vector<FormField> fields = ParseFormFields("D1=%c7%d1&&flag&D2=a+b=c&=v&");
    const std::vector<FormField> expected = {
        {"D1", "\xc7\xd1"}, {"flag", ""}, {"D2", "a b=c"}, {"", "v"}};
    EXPECT_EQ(fields, expected);
    EXPECT_TRUE(ParseFormFields("").empty());
}

TEST(RequestTextTest, PathsAreUtf8OrCp949) {
    EXPECT_EQ(RequestTextToUtf8("/maps/a.zip"), "/maps/a.zip");
    EXPECT_EQ(RequestTextToUtf8("/지도/한글.txt"), "/지도/한글.txt");
    EXPECT_EQ(RequestTextToUtf8("/\xc1\xf6\xb5\xb5/\xc7\xd1\xb1\xdb.txt"), "/지도/한글.txt");
    EXPECT_EQ(RequestTextToUtf8("\xc7\xd1\xff"), "한?");
}

// The format is read back by the tests of other folders (ReadRequestLog); a value holding the
// separators must survive the round trip.
TEST(RequestTextTest, RequestLogLinesReadBack) {
    RequestLogEntry entry;
    entry.number = 12;
    entry.method = "GET";
    entry.path = "/지도/a b%.zip\t";
    entry.query = {{"D1", "홍길동"}, {"a&b", "c=d%\n"}};
    entry.form = {{"D1", ""}};
    entry.range = "bytes=0-9";
    entry.status = 206;
    entry.length = 10;
    entry.sent = 4;
    entry.outcome = "cut";
    EXPECT_EQ(FormatRequestLogLine(entry),
              "12\tGET\t/지도/a b%25.zip%09\tD1=홍길동&a%26b=c%3Dd%25%0A\tD1=\tbytes=0-9\t206\t10\t"
              "4\tcut\n");

    RequestLogEntry refused;
    refused.number = 13;
    refused.status = 400;
    refused.outcome = "ok";

    testing::Sandbox sandbox;
    std::string error;
    {
        auto log = RequestLog::Open(sandbox.Path("requests.log"), error);
        ASSERT_NE(log, nullptr) << error;
        log->Append(entry);
        log->Append(refused);
    }
    const auto read = testing::ReadRequestLog(sandbox.Path("requests.log"));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].number, 12u);
    EXPECT_EQ(read[0].path, entry.path);
    ASSERT_EQ(read[0].query.size(), 2u);
    EXPECT_EQ(read[0].query[1], std::make_pair(std::string("a&b"), std::string("c=d%\n")));
    EXPECT_EQ(read[0].Parameter("D1"), "홍길동");
    EXPECT_EQ(read[0].Parameter("missing"), std::nullopt);
    EXPECT_EQ(read[0].range, "bytes=0-9");
    EXPECT_EQ(read[0].status, 206);
    EXPECT_EQ(read[0].length, 10u);
    EXPECT_EQ(read[0].sent, 4u);
    EXPECT_EQ(read[0].outcome, "cut");
    EXPECT_EQ(read[1].method, "");
    EXPECT_EQ(read[1].length, std::nullopt);

    EXPECT_EQ(RequestLog::Open(sandbox.Path("missing/folder/log"), error), nullptr);
    EXPECT_NE(error.find("missing/folder/log"), std::string::npos);
}

}  // namespace
}  // namespace mapvale::servers
