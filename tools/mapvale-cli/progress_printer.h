#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "controller/status_strip.h"
#include "mapvale-cli/console.h"

namespace mapvale::cli {

using controller::StatusStrip;

// One console line: "[stage] 42% | 복사:   3.2 MB/S | 남은 시간 3분", leaving out what is empty.
std::string FormatStatusLine(const StatusStrip& strip);

// Decides when the job's status line is written. On a terminal the line is rewritten whenever
// it changed, at most every kTerminalPeriod (the main screen's refresh); elsewhere (a log, a
// pipe) a plain line goes out when the stage changes and otherwise every kPlainPeriod, so a log
// stays readable.
class ProgressPrinter {
public:
    static constexpr std::chrono::milliseconds kTerminalPeriod{300};
    static constexpr std::chrono::milliseconds kPlainPeriod{3000};

    explicit ProgressPrinter(Console& console) : console_(console) {}

    // Offers the strip at `now_ms` (a monotonic clock's milliseconds).
    void Show(const StatusStrip& strip, std::int64_t now_ms);
    // Ends an open line on a terminal.
    void Finish();

private:
    Console& console_;
    std::optional<std::int64_t> last_ms_;
    std::string last_line_;
    std::string last_stage_;
};

}  // namespace mapvale::cli
