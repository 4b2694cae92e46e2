#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapvale::net {

// The maker's answer format: text divided into sections by "#!#", sections into fields by "|",
// fields into sub-fields by "$", and per-device lists by "|*|". Pieces count from 0; a missing
// piece is empty. Line breaks are removed from every section that is used.
//
// All functions work on any input: a piece is never longer than the text it came from, and
// nothing is ever read outside it.
class AnswerEnvelope {
public:
    explicit AnswerEnvelope(std::string_view text);

    // Section n with carriage returns and line feeds removed; empty when there is none.
    std::string Section(std::size_t n) const;
    std::size_t SectionCount() const { return sections_.size(); }

private:
    std::vector<std::string_view> sections_;
    std::string text_;
};

// The n-th piece of `text` between separators `separator`; empty when there is none.
std::string Piece(std::string_view text, std::size_t n, std::string_view separator);
// Whether `text` has an n-th piece (text with k separators has k + 1 pieces; empty text has one).
bool HasPiece(std::string_view text, std::size_t n, std::string_view separator);
// All pieces of `text`.
std::vector<std::string> Pieces(std::string_view text, std::string_view separator);
// The first `limit` pieces of `text` as views into it, in one pass; the text after the last of
// them is not looked at. Readers that walk many pieces take them from here instead of asking
// Piece for each, which would scan the text from its start every time.
std::vector<std::string_view> PieceViews(std::string_view text, std::string_view separator,
                                         std::size_t limit = static_cast<std::size_t>(-1));

inline std::string Field(std::string_view text, std::size_t n) {
    return Piece(text, n, "|");
}
inline std::string SubField(std::string_view text, std::size_t n) {
    return Piece(text, n, "$");
}
inline std::string ListEntry(std::string_view text, std::size_t n) {
    return Piece(text, n, "|*|");
}

// The value of leading decimal digits (after an optional sign), as atoi reads it; 0 without
// digits. Saturates instead of overflowing.
int LeadingNumber(std::string_view text);

}  // namespace mapvale::net
