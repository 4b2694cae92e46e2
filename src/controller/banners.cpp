#include "controller/banners.h"

#include <cctype>

#include "net/answer_envelope.h"

namespace mapvale::controller {

namespace {

std::string_view Trim(std::string_view s, std::string_view blanks) {
    while (!s.empty() && blanks.find(s.front()) != std::string_view::npos) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blanks.find(s.back()) != std::string_view::npos) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

BannerLists ParseBannerFile(std::string_view text, std::string_view user_id) {
    BannerLists lists;
    std::size_t begin = 0;
    while (begin < text.size()) {
        // Any plain web server may hand the file out with LF alone at the line ends.
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = Trim(text.substr(begin, end - begin), " \t\r");
        begin = end + 1;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string letter = net::Piece(line, 0, ",");
        const int seconds = net::LeadingNumber(net::Piece(line, 1, ","));
        // The URL is the rest of the line, so a URL with a comma in it stays whole.
        const std::size_t first = line.find(',');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find(',', first + 1);
        const std::string url(second == std::string_view::npos
                                  ? std::string_view()
                                  : Trim(line.substr(second + 1), " "));
        if (letter.empty() || (letter.front() != 'S' && letter.front() != 'E') || seconds <= 1) {
            continue;
        }
        BannerEntry entry{url + "?userid=" + std::string(user_id), seconds};
        if (lists.start_url.empty()) {
            lists.start_url = entry.url;
        }
        (letter.front() == 'S' ? lists.s : lists.e).push_back(std::move(entry));
    }
    return lists;
}

const BannerEntry* NextBanner(const std::vector<BannerEntry>& list, std::string_view current) {
    if (list.empty()) {
        return nullptr;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].url == current) {
            return &list[(i + 1) % list.size()];
        }
    }
    return &list.front();
}

}  // namespace mapvale::controller
