#include "mapvale-cli/frame_loop.h"

#include <algorithm>

#include "mapvale-cli/interrupt_flag.h"
#include "model/messages.h"

namespace mapvale::cli {

void TimerTable::Set(int id, std::int64_t period_ms, std::int64_t now_ms) {
    // A period of 0 would fall due at every look; window timers have a floor too.
    const std::int64_t period = std::max<std::int64_t>(period_ms, 10);
    timers_[id] = Timer{period, now_ms + period};
}

void TimerTable::Kill(int id) {
    timers_.erase(id);
}

std::vector<int> TimerTable::TakeDue(std::int64_t now_ms) {
    std::vector<int> due;
    for (auto& [id, timer] : timers_) {
        if (timer.due_ms <= now_ms) {
            due.push_back(id);
            timer.due_ms = now_ms + timer.period_ms;
        }
    }
    return due;
}

std::optional<std::int64_t> TimerTable::NextDue() const {
    std::optional<std::int64_t> next;
    for (const auto& [id, timer] : timers_) {
        if (!next || timer.due_ms < *next) {
            next = timer.due_ms;
        }
    }
    return next;
}

std::int64_t FrameLoop::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void FrameLoop::HoldPending(const std::function<void(const platform::Message&)>& observe) {
    for (const platform::Message& message : queue_.Drain()) {
        if (observe) {
            observe(message);
        }
        backlog_.push_back(message);
    }
}

std::optional<platform::Message> FrameLoop::Next(std::chrono::milliseconds wait) {
    if (!backlog_.empty()) {
        const platform::Message message = backlog_.front();
        backlog_.pop_front();
        return message;
    }
    if (InterruptFlag::Requested()) {
        return std::nullopt;
    }
    const std::int64_t now = NowMs();
    for (const int id : timers_.TakeDue(now)) {
        queue_.Post(kWmTimer, static_cast<platform::WParam>(id), 0);
    }
    if (auto message = queue_.TryTake()) {
        return message;
    }
    std::chrono::milliseconds limit = wait;
    if (const auto due = timers_.NextDue()) {
        limit = std::min(limit, std::chrono::milliseconds(std::max<std::int64_t>(*due - now, 0)));
    }
    if (limit.count() <= 0) {
        return std::nullopt;
    }
    return queue_.WaitTake(limit);
}

}  // namespace mapvale::cli
