#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace mapvale::app {

class LogFile;

// Appends one line "HH:MM:SS.CC> <text>\n" (UTC time of the log's clock, hundredths of a second)
// after moving yesterday's log aside if a new local day has begun. `format` follows printf rules;
// the line is written whole whatever its length. Does nothing when `log` is null or its path is
// empty. A line that cannot be written is lost without a report: logging never fails its caller.
void LogLine(LogFile* log, const char* format, ...) __attribute__((format(printf, 2, 3)));
// As LogLine with `text` taken literally, and without the day check.
void LogText(LogFile* log, std::string_view text);

// A daily-rotating text log. The current log is `<folder>/<base name>`; at the first line of a new
// local day it is renamed to `<folder>/<base name>.<YYYYMMDD>` (the day it was last written) and a
// fresh log begins. Rotated logs older than `keep_days` days are deleted.
//
// No file handle is kept: every line opens, appends and closes, so other programs may read, move
// or delete the files at any time.
//
// Thread safety: none. One thread writes to a log object; the clock must outlive it.
class LogFile {
  public:
    // `keep_days` negative: the log is never rotated. 0: rotated logs are never deleted.
    // Positive: rotated logs dated `keep_days` or more days before today are deleted whenever a
    // new log begins. An empty folder or base name, or a base name that is not a plain file
    // name, leaves the path empty (logging off).
    LogFile(std::string folder, std::string base_name, int keep_days, const platform::Clock& clock);

    const std::string& folder() const { return folder_; }
    const std::string& base_name() const { return base_name_; }
    // Empty when logging is off.
    const std::string& path() const { return path_; }
    int keep_days() const { return keep_days_; }

  private:
    friend void LogLine(LogFile* log, const char* format, ...);
    friend void LogText(LogFile* log, std::string_view text);

    void Append(std::string_view text) const;
    void RotateIfDue();
    // Writes the opening block of a fresh log (after a rotation when `rotated_path` is set) and
    // deletes expired rotated logs, logging each removal inside the block.
    void BeginLog(const std::string& separator, const platform::CivilTime& today,
                  const std::string* rotated_path);
    void CleanUp(const platform::CivilTime& today);

    std::string folder_;
    std::string base_name_;
    std::string path_;
    int keep_days_;
    const platform::Clock& clock_;
};

}  // namespace mapvale::app
