#include <gtest/gtest.h>

#include "net/curl_easy.h"
#include "net/web_post.h"

namespace mapvale::net {
namespace {

TEST(FormEncodingTest, KeepsTheSafeSetAndEscapesTheRest) {
    EXPECT_EQ(CWebPOST::FormEncode("aZ09&./:=?_"), "aZ09&./:=?_");
    EXPECT_EQ(CWebPOST::FormEncode("a b"), "a+b");
    EXPECT_EQ(CWebPOST::FormEncode("100%+-~"), "100%25%2b%2d%7e");
    EXPECT_EQ(CWebPOST::FormEncode(std::string("\x00\xff", 2)), "%00%ff");
    EXPECT_EQ(CWebPOST::FormEncode(""), "");
}

TEST(FormEncodingTest, ParametersTravelAsCp949InOrder) {
    CWebPOST web;
    EXPECT_EQ(web.ParameterString(), "");
    web.AddParameter("D1", "user id");
    web.AddParameter("D2", "a&b=c");
    web.AddParameter("D3", "홍길동");
    EXPECT_EQ(web.ParameterString(), "D1=user+id&D2=a&b=c&D3=%c8%ab%b1%e6%b5%bf");
    web.ClearParameters();
    EXPECT_EQ(web.ParameterString(), "");
}

TEST(FormEncodingTest, HostsAndUrls) {
    EXPECT_EQ(CWebPOST::EncodeHost("map-content.example:8080"), "map-content.example:8080");
    EXPECT_EQ(CWebPOST::EncodeHost("[::1]:80"), "[::1]:80");
    EXPECT_EQ(CWebPOST::EncodeHost("evil host\r\n"), "evil%20host%0d%0a");
    EXPECT_EQ(CWebPOST::EncodeUrl("http://cdn-1.example//maps/지도 1.zip"),
              "http://cdn-1.example/maps/%c1%f6%b5%b5+1.zip");
    EXPECT_EQ(BuildUrl("127.0.0.1:18080", "/WMK/x.mms?D1=a//b", 80, false),
              "http://127.0.0.1:18080/WMK/x.mms?D1=a//b");
    EXPECT_EQ(BuildUrl("host", "WMK/WMKChkDown.mms", 80, false), "http://host/WMK/WMKChkDown.mms");
    EXPECT_EQ(BuildUrl("host", "/a", 8080, false), "http://host:8080/a");
    EXPECT_EQ(BuildUrl("[::1]", "/a", 81, false), "http://[::1]:81/a");
    EXPECT_EQ(BuildUrl("[::1]:82", "/a", 81, false), "http://[::1]:82/a");
    EXPECT_EQ(BuildUrl("host", "/a", 442, true), "https://host:442/a");
}

TEST(FormEncodingTest, ResponseTextStopsAtZeroAndConverts) {
    WebResponse response;
    response.data = std::string("200|\xbc\xba\xb0\xf8\0tail", 13);
    response.length = static_cast<std::int32_t>(response.data.size());
    EXPECT_EQ(response.Text(), "200|성공");
    auto owned = std::make_unique<WebResponse>();
    EXPECT_EQ(ReleaseWebResponse(owned), 1);
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(ReleaseWebResponse(owned), 1);
}

}  // namespace
}  // namespace mapvale::net
