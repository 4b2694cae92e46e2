#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace mapvale::platform {
namespace {

// "메모리카드데이터" in CP949, as the unit's files carry it.
const std::string kCardDataCp949 =
    "\xB8\xDE\xB8\xF0\xB8\xAE\xC4\xAB\xB5\xE5\xB5\xA5\xC0\xCC\xC5\xCD";

TEST(EncodingTest, KoreanRoundTripsThroughCp949) {
    const Converted out = Utf8ToCp949("메모리카드데이터");
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.text, kCardDataCp949);
    const Converted back = Cp949ToUtf8(out.text);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.text, "메모리카드데이터");
    // Hangul outside the 2,350 common syllables lives in the extended area of the code page.
    const Converted rare = Utf8ToCp949("똠방각하");
    ASSERT_TRUE(rare.ok());
    EXPECT_EQ(Cp949ToUtf8(rare.text).text, "똠방각하");
}

TEST(EncodingTest, AsciiAndEmptyPassUnchanged) {
    EXPECT_EQ(Utf8ToCp949("").text, "");
    EXPECT_EQ(Cp949ToUtf8("Data/TraInfo|1|2\n").text, "Data/TraInfo|1|2\n");
}

TEST(EncodingTest, BytesThatDoNotConvertAreReported) {
    // A character CP949 has no code for, after two that convert.
    Converted out = Utf8ToCp949("가a😀b");
    EXPECT_FALSE(out.ok());
    EXPECT_EQ(out.first_invalid, 4u);
    out = Utf8ToCp949("가a😀b", InvalidBytes::kReplace);
    EXPECT_EQ(out.first_invalid, 4u);
    EXPECT_EQ(Cp949ToUtf8(out.text).text, "가a?b");

    // A lead byte cut off at the end, and a lead byte followed by a byte that cannot trail it.
    Converted cut = Cp949ToUtf8("ab\xB8");
    EXPECT_FALSE(cut.ok());
    EXPECT_EQ(cut.first_invalid, 2u);
    EXPECT_EQ(cut.text, "ab");
    Converted bad = Cp949ToUtf8("\xFF\xFFok", InvalidBytes::kReplace);
    EXPECT_EQ(bad.first_invalid, 0u);
    EXPECT_EQ(bad.text.substr(bad.text.size() - 2), "ok");
}

TEST(EncodingTest, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("plain 한글 😀"));
    EXPECT_FALSE(IsValidUtf8(kCardDataCp949));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut off
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

}  // namespace
}  // namespace mapvale::platform
