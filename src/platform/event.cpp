#include "platform/event.h"

namespace mapvale::platform {

Event::Event(Mode mode, bool initially_set) : mode_(mode), set_(initially_set) {}

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    if (mode_ == Mode::kAutoReset) {
        cv_.notify_one();
    } else {
        cv_.notify_all();
    }
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return set_; })) {
        return false;
    }
    if (mode_ == Mode::kAutoReset) {
        set_ = false;
    }
    return true;
}

void Event::Wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return set_; });
    if (mode_ == Mode::kAutoReset) {
        set_ = false;
    }
}

bool Event::TryWait() { return Wait(std::chrono::milliseconds(0)); }

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

}  // namespace mapvale::platform
