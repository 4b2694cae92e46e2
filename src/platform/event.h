#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace mapvale::platform {

// A Win32-style event. An auto-reset event releases one waiter and clears itself; a manual-reset
// event stays set until Reset. Waiting here is in real time: code whose timeouts must follow the
// injected clock waits through Sleeper::WaitFor instead.
//
// Thread safety: every member may be called from any thread.
class Event {
public:
    enum class Mode { kAutoReset, kManualReset };

    explicit Event(Mode mode = Mode::kAutoReset, bool initially_set = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();

    // True when the event was set within `timeout` (an auto-reset event is then cleared).
    bool Wait(std::chrono::milliseconds timeout);
    // Waits without a time limit.
    void Wait();
    // Zero-timeout wait.
    bool TryWait();
    // Looks without consuming the signal.
    bool IsSet() const;

private:
    const Mode mode_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool set_;
};

}  // namespace mapvale::platform
