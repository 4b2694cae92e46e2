#include "mapvale-cli/progress_printer.h"

namespace mapvale::cli {

void ProgressPrinter::Show(const StatusStrip& strip, std::int64_t now_ms) {
    const std::string line = FormatStatusLine(strip);
    const std::int64_t since = last_ms_ ? now_ms - *last_ms_ : INT64_MAX;
    bool due = false;
    if (console_.terminal()) {
        due = line != last_line_ && since >= kTerminalPeriod.count();
    } else {
        due = strip.text != last_stage_ || since >= kPlainPeriod.count();
    }
    if (!due) {
        return;
    }
    console_.Progress(line);
    last_ms_ = now_ms;
    last_line_ = line;
    last_stage_ = strip.text;
}

void ProgressPrinter::Finish() {
    console_.EndProgress();
}

std::string FormatStatusLine(const StatusStrip& strip) {
    std::string line = "[" + strip.text + "]";
    if (strip.percent >= 0) {
        line += " " + std::to_string(strip.percent) + "%";
    }
    if (!strip.speed.empty()) {
        line += " | " + strip.speed;
    }
    if (!strip.remaining.empty()) {
        line += " | " + strip.remaining;
    }
    return line;
}

}  // namespace mapvale::cli
