#include "app/log_file.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace mapvale::app {

namespace fs = std::filesystem;

namespace {

// A log that did not exist begins between lines of 67 '='; one that follows a rotation between
// lines of 63, so a reader can tell a first start from a day change.
const std::string kNewLogSeparator(67, '=');
const std::string kRotatedLogSeparator(63, '=');
// "YYYYMMDD": rotation names files with the date number of a four-digit year.
constexpr std::size_t kDateDigits = 8;

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string joined = folder;
    if (joined.back() != '/') {
        joined += '/';
    }
    joined += name;
    return joined;
}

// The whole formatted text, however long; nothing when the arguments cannot be formatted (an
// invalid wide character).
std::optional<std::string> Format(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    if (std::vsnprintf(text.data(), text.size(), format, args) != length) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::optional<std::string> text = Format(format, args);
    va_end(args);
    return text ? std::move(*text) : std::string();
}

// The date number of "<base>.<YYYYMMDD>", or 0 when `name` is anything else. Only names of this
// exact form are rotated logs; other files that merely begin with the base name ("x.log.bak",
// "x.logger") belong to someone else.
int RotatedDate(std::string_view name, std::string_view base_name) {
    if (name.size() != base_name.size() + 1 + kDateDigits || !name.starts_with(base_name) ||
        name[base_name.size()] != '.') {
        return 0;
    }
    int date = 0;
    for (char c : name.substr(base_name.size() + 1)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        date = date * 10 + (c - '0');
    }
    const int year = date / 10000;
    const int month = date / 100 % 100;
    const int day = date % 100;
    const platform::CivilTime round_trip =
        platform::CivilFromDays(platform::DaysFromCivil(year, month, day));
    if (round_trip.DateNumber() != date) {
        return 0;
    }
    return date;
}

}  // namespace

LogFile::LogFile(std::string folder, std::string base_name, int keep_days,
                 const platform::Clock& clock)
    : folder_(std::move(folder)),
      base_name_(std::move(base_name)),
      keep_days_(keep_days),
      clock_(clock) {
    const bool plain_name = !base_name_.empty() && base_name_ != "." && base_name_ != ".." &&
                            base_name_.find('/') == std::string::npos &&
                            base_name_.find('\0') == std::string::npos;
    if (!folder_.empty() && plain_name) {
        path_ = JoinPath(folder_, base_name_);
    }
}

void LogFile::Append(std::string_view text) const {
    const platform::CivilTime now = clock_.UtcNow();
    char prefix[32];
    const int prefix_length = std::snprintf(prefix, sizeof(prefix), "%02d:%02d:%02d.%02d> ",
                                            now.hour, now.minute, now.second, now.millisecond / 10);
    std::string line;
    line.reserve(static_cast<std::size_t>(prefix_length) + text.size() + 1);
    line.append(prefix, static_cast<std::size_t>(prefix_length));
    line.append(text);
    line += '\n';

    std::FILE* file = std::fopen(path_.c_str(), "a+");
    if (file == nullptr) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

void LogFile::RotateIfDue() {
    if (keep_days_ < 0) {
        return;
    }
    const platform::CivilTime today = clock_.LocalNow();

    std::error_code ec;
    const fs::file_status status = fs::status(path_, ec);
    if (status.type() == fs::file_type::not_found) {
        if (std::FILE* file = std::fopen(path_.c_str(), "a")) {
            std::fclose(file);
        }
        BeginLog(kNewLogSeparator, today, nullptr);
        return;
    }
    if (ec || status.type() != fs::file_type::regular) {
        return;
    }
    const fs::file_time_type written = fs::last_write_time(path_, ec);
    if (ec) {
        return;
    }
    const auto written_seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(written).time_since_epoch());
    const int written_date = clock_.ToLocal(written_seconds.count()).DateNumber();
    if (written_date == today.DateNumber()) {
        return;
    }

    const std::string rotated = FormatText("%s.%d", path_.c_str(), written_date);
    // rename() would replace an earlier rotated log of that date; keep both instead and go on
    // writing into the current log.
    if (fs::symlink_status(rotated, ec).type() != fs::file_type::not_found) {
        return;
    }
    fs::rename(path_, rotated, ec);
    if (ec) {
        return;
    }
    if (std::FILE* file = std::fopen(path_.c_str(), "a")) {
        std::fclose(file);
    }
    BeginLog(kRotatedLogSeparator, today, &rotated);
}

void LogFile::BeginLog(const std::string& separator, const platform::CivilTime& today,
                       const std::string* rotated_path) {
    Append(separator);
    Append(FormatText("로그가 시작되었습니다. 일자:%d", today.DateNumber()));
    if (rotated_path != nullptr) {
        Append(FormatText(" After :[%s]", path_.c_str()));
        Append(FormatText(" Before:[%s]", rotated_path->c_str()));
    }
    CleanUp(today);
    Append(separator);
}

void LogFile::CleanUp(const platform::CivilTime& today) {
    if (keep_days_ <= 0) {
        return;
    }
    std::error_code ec;
    fs::directory_iterator it(folder_, ec);
    if (ec) {
        Append(FormatText("[LOG] Open Path Err ![%s]", folder_.c_str()));
        return;
    }
    // A limit before year 1 (an absurd keep days) has nothing older than itself; the clamp also
    // keeps the date number within an int.
    const std::int64_t limit_day =
        platform::DaysFromCivil(today.year, today.month, today.day) - keep_days_;
    const int limit = limit_day < platform::DaysFromCivil(1, 1, 1)
                          ? 0
                          : platform::CivilFromDays(limit_day).DateNumber();

    // Collected first so that deleting never disturbs the listing; sorted so that the removals
    // are logged oldest first.
    std::vector<std::string> expired;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const int date = RotatedDate(name, base_name_);
        std::error_code type_ec;
        if (date != 0 && date <= limit && it->is_regular_file(type_ec) &&
            !it->is_symlink(type_ec)) {
            expired.push_back(name);
        }
    }
    std::sort(expired.begin(), expired.end());
    for (const std::string& name : expired) {
        const std::string file = JoinPath(folder_, name);
        Append(FormatText(" Remove:[%s]", file.c_str()));
        fs::remove(file, ec);
    }
}

void LogLine(LogFile* log, const char* format, ...) {
    if (log == nullptr || log->path_.empty() || format == nullptr) {
        return;
    }
    log->RotateIfDue();
    va_list args;
    va_start(args, format);
    const std::optional<std::string> text = Format(format, args);
    va_end(args);
    if (text) {
        log->Append(*text);
    }
}

void LogText(LogFile* log, std::string_view text) {
    if (log == nullptr || log->path_.empty()) {
        return;
    }
    log->Append(text);
}

}  // namespace mapvale::app
