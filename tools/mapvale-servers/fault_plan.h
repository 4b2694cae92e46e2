#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::servers {

// Path patterns are fnmatch(3) globs on the request path ("/WMK/*.mms", "*.zip"); '*' also
// matches '/'.
bool PathMatchesGlob(std::string_view path, const std::string& glob);

struct StatusRule {
    int status = 0;
    std::string glob;
};

// The faults a server is told to inject, for testing how a client copes.
struct FaultOptions {
    // Close the connection after this many body bytes of a counted answer (see FaultPlan).
    std::optional<std::uint64_t> reset_after;
    // 0: cut only the first counted answer; N: cut answers N, 2N, 3N, ...
    std::uint64_t reset_every = 0;
    // Only answers to paths matching one of these count; empty: every path.
    std::vector<std::string> reset_paths;
    // Answer this status (with a one-line text) for paths matching the glob; first rule wins.
    std::vector<StatusRule> status_rules;
    // Body bytes per second of every answer; 0: as fast as possible.
    std::uint64_t throttle_bytes_per_second = 0;
    // Answer range requests for files with 200 and the whole file.
    bool ignore_range = false;
};

// Decides which answers a fault hits.
//
// The reset counter counts answers that carry a body (not HEAD, not empty) to a path matching
// `reset_paths`, numbered from 1 in the order their bodies start. Other requests leave it alone,
// so a test can aim a reset at "the second download of *.zip" whatever else the client asks.
// A counted answer whose body is not longer than `reset_after` is sent whole and the connection
// is closed after it.
//
// Thread safety: every member may be called from any thread.
class FaultPlan {
public:
    explicit FaultPlan(FaultOptions options = {});

    const FaultOptions& options() const { return options_; }

    // The status to answer instead of the real one, or nothing.
    std::optional<int> InjectedStatus(std::string_view path) const;

    // Called once for each answer with a body, when the body starts: the number of body bytes
    // after which to close the connection, or nothing. Counts the answer when it qualifies.
    std::optional<std::uint64_t> CutAfter(std::string_view path);

private:
    FaultOptions options_;
    std::atomic<std::uint64_t> counted_{0};
};

}  // namespace mapvale::servers
