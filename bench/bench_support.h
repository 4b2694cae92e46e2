#pragma once

// Small pieces every benchmark uses: running a shell command, wall times, peak memory, and a
// message target that only counts what the jobs post.

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/messages.h"
#include "platform/event.h"
#include "platform/message_target.h"

namespace mapvale::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Runs a shell command; ends the benchmark when it fails.
inline void RunOrExit(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Peak resident memory in KiB: of this process (RUSAGE_SELF) or of its largest waited-for
// child (RUSAGE_CHILDREN).
inline long PeakRssKb(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

// When a message first arrived. Noted by the one worker that posts it, read by anyone after
// reached() says true.
class Milestone {
public:
    void Note() {
        if (!reached_.load()) {
            at_ = Clock::now();
            reached_.store(true);
        }
    }
    bool reached() const { return reached_.load(); }
    Clock::time_point at() const { return at_; }

private:
    std::atomic<bool> reached_{false};
    Clock::time_point at_{};
};

// The owner of a download job and an install job in a benchmark: counts what they post and
// notes when the download completed (0x802) and the install completed (0x807); keeps nothing
// else, so the hundreds of thousands of progress messages of a big package cost no memory.
// An error (0x501) is printed. ended() is set by 0x807 and by any 0x501.
//
// Post is called from the jobs' workers, the accessors from any thread. One object serves one
// run: make a new one for the next.
class CountingOwner final : public platform::MessageTarget {
public:
    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override {
        count_.fetch_add(1);
        if (message == WM_DOWNLOAD_COMPLETE) {
            download_complete_.Note();
        } else if (message == kMsgInstallComplete) {
            install_complete_.Note();
            ended_.Set();
        } else if (message == kMsgJobError) {
            std::fprintf(stderr, "job error %llu/%lld\n", static_cast<unsigned long long>(w_param),
                         static_cast<long long>(l_param));
            failed_.store(true);
            ended_.Set();
        }
    }
    const Milestone& download_complete() const { return download_complete_; }
    const Milestone& install_complete() const { return install_complete_; }
    bool failed() const { return failed_.load(); }
    platform::Event& ended() { return ended_; }
    std::uint64_t count() const { return count_.load(); }

private:
    Milestone download_complete_;
    Milestone install_complete_;
    std::atomic<bool> failed_{false};
    platform::Event ended_{platform::Event::Mode::kManualReset};
    std::atomic<std::uint64_t> count_{0};
};

}  // namespace mapvale::bench
