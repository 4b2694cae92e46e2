#include "platform/fake_clock.h"

#include <thread>

#include "platform/event.h"

namespace mapvale::platform {

namespace {
// Real time a fake wait gives another thread to signal before its fake time runs out.
constexpr std::chrono::milliseconds kRealGrace(3);
}  // namespace

FakeClock::FakeClock(std::int64_t start_ms_since_1970)
    : now_ms_(start_ms_since_1970), tick_base_ms_(start_ms_since_1970 - 1000000) {}

std::int64_t FakeClock::Now() const {
    std::int64_t ms = NowMs();
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

std::int64_t FakeClock::NowMs() const {
    std::lock_guard lock(mutex_);
    return now_ms_;
}

std::uint64_t FakeClock::TickCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint64_t>(now_ms_ - tick_base_ms_);
}

CivilTime FakeClock::ToLocal(std::int64_t seconds_since_1970) const {
    CivilTime t = ToUtc((seconds_since_1970 + offset_minutes_.load() * 60) * 1000);
    t.millisecond = 0;
    return t;
}

CivilTime FakeClock::ToUtc(std::int64_t ms_since_1970) const {
    return SystemClock().ToUtc(ms_since_1970);
}

void FakeClock::SetNowMs(std::int64_t ms_since_1970) {
    {
        std::lock_guard lock(mutex_);
        now_ms_ = ms_since_1970;
    }
    advanced_.notify_all();
}

void FakeClock::SetLocal(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t local_seconds =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    SetNowMs((local_seconds - offset_minutes_.load() * 60) * 1000);
}

void FakeClock::Advance(std::chrono::milliseconds duration) {
    {
        std::lock_guard lock(mutex_);
        now_ms_ += duration.count();
    }
    advanced_.notify_all();
}

void FakeClock::SetUtcOffset(std::chrono::minutes offset) { offset_minutes_ = offset.count(); }

FakeSleeper::FakeSleeper(FakeClock& clock, Mode mode) : clock_(clock), mode_(mode) {}

void FakeSleeper::Sleep(std::chrono::milliseconds duration) {
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(duration);
    }
    if (mode_ == Mode::kAutoAdvance) {
        clock_.Advance(duration);
        std::this_thread::yield();
        return;
    }
    clock_.WaitUntil(clock_.NowMs() + duration.count(), [] { return false; });
}

bool FakeSleeper::WaitFor(Event& event, std::chrono::milliseconds timeout) {
    if (mode_ == Mode::kAutoAdvance) {
        if (event.Wait(std::min(timeout, kRealGrace))) {
            return true;
        }
        clock_.Advance(timeout);
        return event.TryWait();
    }
    const std::int64_t deadline = clock_.NowMs() + timeout.count();
    bool signalled = false;
    clock_.WaitUntil(deadline, [&] { return signalled = event.TryWait(); });
    return signalled || event.TryWait();
}

void FakeSleeper::SetMode(Mode mode) { mode_ = mode; }

std::vector<std::chrono::milliseconds> FakeSleeper::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

std::chrono::milliseconds FakeSleeper::TotalSlept() const {
    std::lock_guard lock(mutex_);
    std::chrono::milliseconds total{0};
    for (auto s : sleeps_) {
        total += s;
    }
    return total;
}

}  // namespace mapvale::platform
