#include "tray/answer_cache.h"

namespace mapvale::tray {

const CachedAnswer* AnswerCache::Find(std::string_view package_name) const {
    for (const CachedAnswer& answer : answers_) {
        if (answer.package_name == package_name) {
            return &answer;
        }
    }
    return nullptr;
}

void AnswerCache::Add(CachedAnswer answer) {
    answers_.push_back(std::move(answer));
}

}  // namespace mapvale::tray
