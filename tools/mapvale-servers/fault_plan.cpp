#include "mapvale-servers/fault_plan.h"

#include <fnmatch.h>

#include <utility>

namespace mapvale::servers {

bool PathMatchesGlob(std::string_view path, const std::string& glob) {
    return fnmatch(glob.c_str(), std::string(path).c_str(), 0) == 0;
}

FaultPlan::FaultPlan(FaultOptions options) : options_(std::move(options)) {}

std::optional<int> FaultPlan::InjectedStatus(std::string_view path) const {
    for (const StatusRule& rule : options_.status_rules) {
        if (PathMatchesGlob(path, rule.glob)) {
            return rule.status;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FaultPlan::CutAfter(std::string_view path) {
    if (!options_.reset_after) {
        return std::nullopt;
    }
    if (!options_.reset_paths.empty()) {
        bool matches = false;
        for (const std::string& glob : options_.reset_paths) {
            matches = matches || PathMatchesGlob(path, glob);
        }
        if (!matches) {
            return std::nullopt;
        }
    }
    const std::uint64_t number = counted_.fetch_add(1) + 1;
    const bool hit = options_.reset_every == 0 ? number == 1 : number % options_.reset_every == 0;
    if (!hit) {
        return std::nullopt;
    }
    return options_.reset_after;
}

}  // namespace mapvale::servers
