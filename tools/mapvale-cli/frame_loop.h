#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/message_queue.h"

namespace mapvale::cli {

// The front end's timers (FrameUi::SetTimer): each falls due every period, measured on a
// monotonic clock in milliseconds. A timer that is late falls due once, not once per missed
// period, as window timers do.
class TimerTable {
public:
    void Set(int id, std::int64_t period_ms, std::int64_t now_ms);
    void Kill(int id);
    // The timers due at `now_ms`, in id order; each is set for its next period.
    std::vector<int> TakeDue(std::int64_t now_ms);
    // When the next timer falls due; nothing without timers.
    std::optional<std::int64_t> NextDue() const;

private:
    struct Timer {
        std::int64_t period_ms = 0;
        std::int64_t due_ms = 0;
    };
    std::map<int, Timer> timers_;
};

// The console's message loop for the controller: the queue its workers post to, the timers,
// and the messages held back while the controller is inside a long call (sign-in).
//
// Thread safety: the user-interface thread only (the queue itself takes posts from any thread).
class FrameLoop {
public:
    explicit FrameLoop(platform::MessageQueue& queue) : queue_(queue) {}

    TimerTable& timers() { return timers_; }

    // While the controller runs a long call it must not be re-entered: what waits in the queue
    // moves to the backlog, each message shown to `observe` first (the console shows the
    // package step's progress). Nothing is handled.
    void HoldPending(const std::function<void(const platform::Message&)>& observe);

    // The next message for the controller: the backlog first, then due timers (posted as
    // WM_TIMER), then the queue, waiting up to `wait` in real time (less when a timer falls due
    // sooner). Nothing when none came, or at once when an interrupt was requested.
    std::optional<platform::Message> Next(std::chrono::milliseconds wait);

    // Milliseconds of the monotonic clock the timers run on.
    static std::int64_t NowMs();

private:
    platform::MessageQueue& queue_;
    TimerTable timers_;
    std::deque<platform::Message> backlog_;
};

}  // namespace mapvale::cli
