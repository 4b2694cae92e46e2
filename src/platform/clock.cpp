#include "platform/clock.h"

#include <ctime>
#include <thread>

#include "platform/event.h"

namespace mapvale::platform {

std::int64_t DaysFromCivil(int year, int month, int day) {
    // Howard Hinnant's algorithm: exact for every Gregorian date.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned mp = static_cast<unsigned>(month + (month > 2 ? -3 : 9));
    const unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(day) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilTime CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (t.month <= 2 ? 1 : 0));
    return t;
}

std::int64_t SystemClock::Now() const {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::uint64_t SystemClock::TickCount() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

CivilTime SystemClock::ToLocal(std::int64_t seconds_since_1970) const {
    const std::time_t t = static_cast<std::time_t>(seconds_since_1970);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

CivilTime SystemClock::ToUtc(std::int64_t ms_since_1970) const {
    std::int64_t days = ms_since_1970 / 86400000;
    std::int64_t rest = ms_since_1970 % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    CivilTime t = CivilFromDays(days);
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

void SystemSleeper::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool SystemSleeper::WaitFor(Event& event, std::chrono::milliseconds timeout) {
    return event.Wait(timeout);
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

Sleeper& DefaultSleeper() {
    static SystemSleeper sleeper;
    return sleeper;
}

}  // namespace mapvale::platform
