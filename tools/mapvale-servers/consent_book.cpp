#include "mapvale-servers/consent_book.h"

namespace mapvale::servers {

void ConsentBook::Record(std::string_view user, std::string_view flag) {
    std::lock_guard lock(mutex_);
    flags_.insert_or_assign(std::string(user), std::string(flag));
}

std::optional<std::string> ConsentBook::Find(std::string_view user) const {
    std::lock_guard lock(mutex_);
    const auto found = flags_.find(user);
    if (found == flags_.end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace mapvale::servers
