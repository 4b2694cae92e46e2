#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace mapvale::platform {

// A clock that moves only when told to. Local time is UTC plus a fixed offset.
//
// Thread safety: every member may be called from any thread.
class FakeClock final : public Clock {
public:
    // 2024-05-10 09:00:00 UTC unless told otherwise.
    explicit FakeClock(std::int64_t start_ms_since_1970 = 1715331600000);

    std::int64_t Now() const override;
    std::int64_t NowMs() const override;
    std::uint64_t TickCount() const override;
    CivilTime ToLocal(std::int64_t seconds_since_1970) const override;
    CivilTime ToUtc(std::int64_t ms_since_1970) const override;

    void SetNowMs(std::int64_t ms_since_1970);
    // Sets the local wall time (in the clock's zone) to the given date and time.
    void SetLocal(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
    void Advance(std::chrono::milliseconds duration);
    void SetUtcOffset(std::chrono::minutes offset);

    // Blocks (in real time) until the clock reaches `ms_since_1970` or `stop()` is true; `stop`
    // is re-checked at least every millisecond.
    template <typename Stop>
    bool WaitUntil(std::int64_t ms_since_1970, Stop stop) const {
        std::unique_lock lock(mutex_);
        while (now_ms_ < ms_since_1970) {
            if (stop()) {
                return false;
            }
            advanced_.wait_for(lock, std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable advanced_;
    std::int64_t now_ms_;
    std::int64_t tick_base_ms_;
    std::atomic<std::int64_t> offset_minutes_{0};
};

// A sleeper on a FakeClock. In auto-advance mode (the default) a sleep moves the clock forward by
// its duration and returns at once, so a 20-minute wait costs nothing; in manual mode a sleep
// blocks until the test advances the clock past its end. WaitFor gives the event a brief real
// chance (a few milliseconds) to arrive before the fake time runs out, so a worker that signals
// "soon" is still seen as early.
class FakeSleeper final : public Sleeper {
public:
    enum class Mode { kAutoAdvance, kManual };

    explicit FakeSleeper(FakeClock& clock, Mode mode = Mode::kAutoAdvance);

    void Sleep(std::chrono::milliseconds duration) override;
    bool WaitFor(Event& event, std::chrono::milliseconds timeout) override;

    void SetMode(Mode mode);
    // Every duration passed to Sleep, in order.
    std::vector<std::chrono::milliseconds> Sleeps() const;
    std::chrono::milliseconds TotalSlept() const;

private:
    FakeClock& clock_;
    std::atomic<Mode> mode_;
    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> sleeps_;
};

}  // namespace mapvale::platform
