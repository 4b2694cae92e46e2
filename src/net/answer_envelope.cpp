#include "net/answer_envelope.h"

#include "platform/text.h"

namespace mapvale::net {

namespace {

// The position of the n-th piece as [begin, end), or begin = npos when there is none.
std::pair<std::size_t, std::size_t> Locate(std::string_view text, std::size_t n,
                                           std::string_view separator) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = text.find(separator, begin);
        if (at == std::string_view::npos) {
            return {std::string_view::npos, std::string_view::npos};
        }
        begin = at + separator.size();
    }
    const std::size_t end = text.find(separator, begin);
    return {begin, end == std::string_view::npos ? text.size() : end};
}

}  // namespace

AnswerEnvelope::AnswerEnvelope(std::string_view text) : text_(text) {
    const std::string_view all(text_);
    std::size_t begin = 0;
    for (;;) {
        const std::size_t at = all.find("#!#", begin);
        if (at == std::string_view::npos) {
            sections_.push_back(all.substr(begin));
            break;
        }
        sections_.push_back(all.substr(begin, at - begin));
        begin = at + 3;
    }
}

std::string AnswerEnvelope::Section(std::size_t n) const {
    if (n >= sections_.size()) {
        return {};
    }
    std::string out;
    out.reserve(sections_[n].size());
    for (char c : sections_[n]) {
        if (c != '\r' && c != '\n') {
            out.push_back(c);
        }
    }
    return out;
}

std::string Piece(std::string_view text, std::size_t n, std::string_view separator) {
    const auto [begin, end] = Locate(text, n, separator);
    if (begin == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(begin, end - begin));
}

bool HasPiece(std::string_view text, std::size_t n, std::string_view separator) {
    return Locate(text, n, separator).first != std::string_view::npos;
}

std::vector<std::string> Pieces(std::string_view text, std::string_view separator) {
    const std::vector<std::string_view> views = PieceViews(text, separator);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> PieceViews(std::string_view text, std::string_view separator,
                                         std::size_t limit) {
    std::vector<std::string_view> out;
    std::size_t begin = 0;
    while (out.size() < limit) {
        const std::size_t at = text.find(separator, begin);
        if (at == std::string_view::npos) {
            out.push_back(text.substr(begin));
            break;
        }
        out.push_back(text.substr(begin, at - begin));
        begin = at + separator.size();
    }
    return out;
}

int LeadingNumber(std::string_view text) {
    return platform::LeadingInt32(text);
}

}  // namespace mapvale::net
