#include "net/answer_envelope.h"

#include <gtest/gtest.h>

namespace mapvale::net {
namespace {

TEST(AnswerEnvelopeTest, SectionsFieldsAndListsWithMissingPiecesEmpty) {
    const AnswerEnvelope envelope("x#!#200|Kim\r\n|reg|A.1$1|B.2$0#!#v$1#!#T\n#!#root");
    EXPECT_EQ(envelope.SectionCount(), 5u);
    EXPECT_EQ(envelope.Section(1), "200|Kim|reg|A.1$1|B.2$0");
    EXPECT_EQ(envelope.Section(3), "T");
    EXPECT_EQ(envelope.Section(7), "");
    const std::string result = envelope.Section(1);
    EXPECT_EQ(Field(result, 0), "200");
    EXPECT_EQ(Field(result, 4), "B.2$0");
    EXPECT_EQ(Field(result, 5), "");
    EXPECT_TRUE(HasPiece(result, 4, "|"));
    EXPECT_FALSE(HasPiece(result, 5, "|"));
    EXPECT_EQ(SubField(Field(result, 3), 1), "1");
    EXPECT_EQ(ListEntry("a$b|*|c$d|*|", 1), "c$d");
    EXPECT_EQ(ListEntry("a$b|*|c$d|*|", 2), "");
    EXPECT_EQ(ListEntry("a$b|*|c$d|*|", 3), "");
    EXPECT_EQ(Field("a|*|b", 1), "*");  // lists are not fields
}

TEST(AnswerEnvelopeTest, OddInputNeverBreaks) {
    for (const char* text : {"", "#!#", "#!##!#", "#!", "|||", "$$$", "|*|*|", "\r\n"}) {
        const AnswerEnvelope envelope(text);
        for (std::size_t n = 0; n < 4; ++n) {
            const std::string section = envelope.Section(n);
            EXPECT_LE(Field(section, n).size(), section.size());
            EXPECT_LE(ListEntry(section, n).size(), section.size());
        }
    }
    const std::string huge(1 << 20, '|');
    EXPECT_EQ(Field(huge, 1000), "");
    EXPECT_EQ(Pieces("a|b|", "|").size(), 3u);
}

TEST(AnswerEnvelopeTest, PieceViewsStopAtTheirLimit) {
    const std::string text = "a|*|b|*||*|c";
    EXPECT_EQ(PieceViews(text, "|*|"), (std::vector<std::string_view>{"a", "b", "", "c"}));
    EXPECT_EQ(PieceViews(text, "|*|", 2), (std::vector<std::string_view>{"a", "b"}));
    EXPECT_EQ(PieceViews(text, "|*|", 9).size(), 4u);
    EXPECT_TRUE(PieceViews(text, "|*|", 0).empty());
    EXPECT_EQ(PieceViews("", "|"), (std::vector<std::string_view>{""}));
}

TEST(AnswerEnvelopeTest, NumbersAsAtoiReadsThem) {
    EXPECT_EQ(LeadingNumber("200"), 200);
    EXPECT_EQ(LeadingNumber("201abc"), 201);
    EXPECT_EQ(LeadingNumber(" -3"), -3);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("99999999999999"), 2147483647);
}

}  // namespace
}  // namespace mapvale::net
