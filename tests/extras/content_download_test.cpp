#include "extras/content_download.h"

#include <gtest/gtest.h>

#include "net/web_post.h"
#include "platform/files.h"
#include "support/sandbox.h"

namespace mapvale::extras {
namespace {

TEST(ContentDownload, AFailedRequestOrABadAddressLeavesTheFileAsItWas) {
    testing::Sandbox box;
    const std::string local = box.Write("ThemeFile.bin", "the theme from before");
    net::CWebPOST web;
    // Nobody listens on port 1.
    EXPECT_EQ(DownloadContent(web, "http://127.0.0.1:1/Scripts/x.aspx?a=1", local), 0);
    EXPECT_EQ(DownloadContent(web, "http://no-path-here", local), 0);
    EXPECT_EQ(platform::ReadWholeFile(local), "the theme from before");
}

}  // namespace
}  // namespace mapvale::extras
