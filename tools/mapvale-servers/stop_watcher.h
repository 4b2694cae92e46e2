#pragma once

#include <functional>
#include <thread>

namespace mapvale::servers {

// Turns SIGINT, SIGTERM and, when asked, the end of standard input into one stop call made on a
// thread of its own, so that a server ends through its normal shutdown instead of dying in the
// middle of a write.
//
// Create it before any other thread: it blocks the two signals in the creating thread, and
// threads started afterwards inherit that. The signals stay blocked after it is destroyed (the
// process is about to end; a second signal must not kill it during its clean-up).
//
// Thread safety: construct, Start and destroy on one thread.
class StopWatcher {
public:
    explicit StopWatcher(bool watch_stdin);
    ~StopWatcher();
    StopWatcher(const StopWatcher&) = delete;
    StopWatcher& operator=(const StopWatcher&) = delete;

    // Calls `on_stop` once, from the watcher's thread, when a signal arrives or standard input
    // ends (read returns 0 or fails). False when the watcher could not be set up.
    bool Start(std::function<void()> on_stop);

private:
    void Watch(const std::function<void()>& on_stop);

    bool watch_stdin_;
    int signal_fd_ = -1;
    int wake_pipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace mapvale::servers
