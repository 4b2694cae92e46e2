#include "model/page_addresses.h"

#include <gtest/gtest.h>

namespace mapvale {
namespace {

TEST(PageAddressesTest, OnlyWebAddressesOfThePagesSectionCount) {
    const PageAddresses pages = PageAddresses::Parse(
        "[Servers]\r\nfind-id-ov = http://servers.example/not-a-page\r\n"
        "[Pages]\r\nFind-Id-OV = http://portal.example/find?id=1\r\n"
        "find-password-ov = HTTPS://portal.example/pw\n"
        "find-id-dl = file:///etc/passwd\nfind-password-dl = /usr/bin/xterm\n"
        "orla-home = http://\n; orla-home = http://commented.example\n"
        "[Other]\norla-home = http://other.example\n");
    EXPECT_EQ(pages.Find(PageAddresses::kFindIdOv), "http://portal.example/find?id=1");
    EXPECT_EQ(pages.Find(PageAddresses::kFindPasswordOv), "HTTPS://portal.example/pw");
    EXPECT_EQ(pages.Find(PageAddresses::kFindIdDl), "");
    EXPECT_EQ(pages.Find(PageAddresses::kFindPasswordDl), "");
    EXPECT_EQ(pages.Find(PageAddresses::kOrlaHome), "");
    EXPECT_FALSE(PageAddresses::Load("/nonexistent/Servers.ini"));
}

}  // namespace
}  // namespace mapvale
