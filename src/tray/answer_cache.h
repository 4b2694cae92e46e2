#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::tray {

// What the registration server said about one package, kept for the rest of the run so that each
// package is asked about once.
struct CachedAnswer {
    std::string package_name;         // the key, compared exactly
    std::string version_label;        // the card's label at the time of the request
    std::int32_t server_version = 0;  // normalised; kept, not compared
    std::int32_t status = 0;
    std::string package_info_address;
};

// The answers in the order they came; emptied only when the agent ends. Only answers with an
// available status are kept: a package in maintenance is asked about again at its next arrival.
class AnswerCache {
public:
    // The answer for `package_name`, or null.
    const CachedAnswer* Find(std::string_view package_name) const;
    // Appends an answer (a second one for the same name is kept too, but Find finds the first).
    void Add(CachedAnswer answer);
    void Clear() { answers_.clear(); }
    const std::vector<CachedAnswer>& answers() const { return answers_; }

private:
    std::vector<CachedAnswer> answers_;
};

}  // namespace mapvale::tray
