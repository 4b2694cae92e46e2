#pragma once

#include <chrono>
#include <cstdint>

namespace mapvale::platform {

class Event;

// A broken-down calendar time (year with century, month 1-12, day 1-31).
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // year * 10000 + month * 100 + day, the form dates take in file names and logs.
    int DateNumber() const { return year * 10000 + month * 100 + day; }
};

// Every "now" of the program. Tests pass a FakeClock so that the time arithmetic of jobs,
// progress and logs is exact and repeatable.
//
// Thread safety: implementations may be read from any thread.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since 1970-01-01 UTC.
    virtual std::int64_t Now() const = 0;
    // Milliseconds since 1970-01-01 UTC.
    virtual std::int64_t NowMs() const = 0;
    // Milliseconds of a monotonic counter (GetTickCount): only differences mean anything.
    virtual std::uint64_t TickCount() const = 0;
    // Calendar time of `seconds_since_1970` in the local time zone.
    virtual CivilTime ToLocal(std::int64_t seconds_since_1970) const = 0;
    // Calendar time of `ms_since_1970` in UTC, with milliseconds.
    virtual CivilTime ToUtc(std::int64_t ms_since_1970) const = 0;

    CivilTime LocalNow() const { return ToLocal(Now()); }
    CivilTime UtcNow() const { return ToUtc(NowMs()); }
};

// Every wait of the program. Waits that the program must be able to end early (a process ending,
// a worker signalling) wait on an Event through WaitFor.
//
// Thread safety: may be used from any thread.
class Sleeper {
public:
    virtual ~Sleeper() = default;

    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    // Waits until `event` is set or `timeout` has passed on this sleeper's clock; true when the
    // event was set (an auto-reset event is consumed).
    virtual bool WaitFor(Event& event, std::chrono::milliseconds timeout) = 0;
};

// The machine's clock and time zone.
class SystemClock final : public Clock {
public:
    std::int64_t Now() const override;
    std::int64_t NowMs() const override;
    std::uint64_t TickCount() const override;
    CivilTime ToLocal(std::int64_t seconds_since_1970) const override;
    CivilTime ToUtc(std::int64_t ms_since_1970) const override;
};

// Real waits.
class SystemSleeper final : public Sleeper {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    bool WaitFor(Event& event, std::chrono::milliseconds timeout) override;
};

// Process-wide real instances, for callers that are given no other.
Clock& DefaultClock();
Sleeper& DefaultSleeper();

// Days-from-civil arithmetic (proleptic Gregorian), shared by the clocks and by date limits.
std::int64_t DaysFromCivil(int year, int month, int day);
CivilTime CivilFromDays(std::int64_t days);

}  // namespace mapvale::platform
