#include "app/text_scrambler.h"

#include <gtest/gtest.h>

namespace mapvale::app {
namespace {

TEST(TextScramblerTest, XorWithTheDefaultKeyAsUpperHex) {
    // 'K' ^ 'K' = 0, 'e' ^ 'e' = 0: the key against itself; then 'a' ^ 'e' = 0x04.
    EXPECT_EQ(ScrambleText("Kea"), "000004");
    EXPECT_EQ(ScrambleText(""), "");
    // Longer than the key: the key repeats.
    const std::string text(45, 'x');
    const std::string hex = ScrambleText(text);
    ASSERT_EQ(hex.size(), 90u);
    EXPECT_EQ(hex.substr(0, 2), hex.substr(40, 2));
    EXPECT_EQ(hex.substr(0, 2), hex.substr(80, 2));
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(TextScramblerTest, RoundTripsWithAnyKey) {
    for (const char* text : {"alice:secret", "a", "user@example.com:p@ss:w0rd!", "한글 ID"}) {
        EXPECT_EQ(UnscrambleText(ScrambleText(text)), text);
        EXPECT_EQ(UnscrambleText(ScrambleText(text, "k"), "k"), text);
    }
    EXPECT_NE(UnscrambleText(ScrambleText("alice", "one")), "alice");
}

TEST(TextScramblerTest, TextThatIsNotHexReadsAsNothing) {
    EXPECT_FALSE(UnscrambleText("ABC"));     // odd length
    EXPECT_FALSE(UnscrambleText("0G"));      // not a digit
    EXPECT_FALSE(UnscrambleText("zz00"));
    EXPECT_EQ(UnscrambleText("000004"), "Kea");
    EXPECT_EQ(UnscrambleText("00000a"), UnscrambleText("00000A"));
}

}  // namespace
}  // namespace mapvale::app
