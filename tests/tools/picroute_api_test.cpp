#include "mapvale-servers/picroute_api.h"

#include <gtest/gtest.h>

namespace mapvale::servers {
namespace {

constexpr std::string_view kType = "multipart/form-data; boundary=xyz";

std::string Part(std::string_view name, std::string_view value) {
    return "--xyz\r\nContent-Disposition: form-data; name=\"" + std::string(name) + "\"\r\n\r\n" +
           std::string(value) + "\r\n";
}

TEST(PicrouteMultipart, WellFormedBodiesComeApartInOrderWithTheirBytes) {
    const std::string file("a\r\n--xy\0b", 10);
    const std::string body = Part("kind", "1") +
                             "--xyz\r\nContent-Disposition: form-data; name=\"upload_file\"; "
                             "filename=\"C:\\photo.jpg\"\r\nContent-Type: image/jpeg\r\n\r\n" +
                             file + "\r\n" + Part("userid", "") + "--xyz--\r\n";
    const auto parts = ParseMultipart(kType, body);
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 3u);
    EXPECT_EQ((*parts)[0].name, "kind");
    EXPECT_EQ((*parts)[0].value, "1");
    EXPECT_EQ((*parts)[1].file_name, "C:\\photo.jpg");
    EXPECT_EQ((*parts)[1].content_type, "image/jpeg");
    EXPECT_EQ((*parts)[1].value, file);
    EXPECT_EQ((*parts)[2].value, "");
}

TEST(PicrouteMultipart, AnythingOffIsRefused) {
    const std::string good = Part("kind", "1") + "--xyz--\r\n";
    ASSERT_TRUE(ParseMultipart(kType, good));
    EXPECT_FALSE(ParseMultipart("multipart/form-data; boundary=", good));
    EXPECT_FALSE(ParseMultipart("multipart/form-data; boundary=other", good));
    EXPECT_FALSE(ParseMultipart("application/x-www-form-urlencoded", good));
    EXPECT_FALSE(ParseMultipart(kType, good + "x"));                       // bytes after the end
    EXPECT_FALSE(ParseMultipart(kType, good.substr(0, good.size() - 2)));  // cut short
    EXPECT_FALSE(ParseMultipart(kType, "\r\n" + good));                    // bytes before the start
    EXPECT_FALSE(ParseMultipart(kType, "--xyz--\r\n"));
    EXPECT_FALSE(ParseMultipart(
        kType, "--xyz\r\nContent-Disposition: form-data; name=kind\r\n\r\n1\r\n--xyz--\r\n"));
    EXPECT_FALSE(ParseMultipart(
        kType,
        "--xyz\r\nX-Other: 1\r\nContent-Disposition: form-data; name=\"kind\"\r\n\r\n1\r\n"
        "--xyz--\r\n"));
    EXPECT_FALSE(ParseMultipart(kType,
                                "--xyz\r\nContent-Disposition: form-data; name=\"\"\r\n"
                                "\r\n1\r\n--xyz--\r\n"));
}

}  // namespace
}  // namespace mapvale::servers
