#include "platform/drive_letters.h"

#include <array>
#include <set>

namespace mapvale::platform {

namespace {
constexpr char kFirstFree = 'D';
constexpr char kLast = 'Z';
}  // namespace

std::vector<char> DriveLetterTable::Assign(const std::vector<LetterRequest>& present) {
    std::map<std::string, char> kept;
    std::array<bool, 26> taken{};
    std::set<std::string> seen;
    std::vector<char> letters(present.size(), 0);
    for (std::size_t i = 0; i < present.size(); ++i) {
        const LetterRequest& request = present[i];
        if (!seen.insert(request.id).second) {
            continue;  // a duplicate identity gets nothing rather than a second letter
        }
        const auto found = assigned_.find(request.id);
        if (found != assigned_.end()) {
            letters[i] = found->second;
            taken[static_cast<std::size_t>(found->second - 'A')] = true;
            kept.emplace(request.id, found->second);
        }
    }
    auto is_free = [&](char letter) { return !taken[static_cast<std::size_t>(letter - 'A')]; };
    seen.clear();
    for (std::size_t i = 0; i < present.size(); ++i) {
        const LetterRequest& request = present[i];
        if (!seen.insert(request.id).second || letters[i] != 0 || kept.count(request.id) != 0) {
            continue;
        }
        char letter = 0;
        if (request.system_root) {
            letter = is_free('C') ? 'C' : 0;
        } else {
            if (request.wanted >= kFirstFree && request.wanted <= kLast &&
                is_free(request.wanted)) {
                letter = request.wanted;
            } else if (request.from_top) {
                for (char c = kLast; c >= kFirstFree && letter == 0; --c) {
                    letter = is_free(c) ? c : 0;
                }
            } else {
                for (char c = kFirstFree; c <= kLast && letter == 0; ++c) {
                    letter = is_free(c) ? c : 0;
                }
            }
        }
        if (letter != 0) {
            letters[i] = letter;
            taken[static_cast<std::size_t>(letter - 'A')] = true;
            kept.emplace(request.id, letter);
        }
    }
    assigned_ = std::move(kept);
    return letters;
}

}  // namespace mapvale::platform
