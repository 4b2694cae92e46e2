#pragma once

#include <cstdint>
#include <mutex>

#include "platform/message_target.h"

namespace mapvale::catalog {

// Stands between a file download and the owner window: forwards every message, except a
// per-file (0x701) or package (0x702) progress message whose amount is below the highest one of
// its kind forwarded since the last Rearm. A server that ignores a range request after a dropped
// connection sends the span again from its first byte, and the counts of the download restart
// with it; the window then sees progress pause rather than run backwards.
//
// Thread safety: Post may be called from any thread; SetTarget only while nobody posts.
class ProgressFilter final : public platform::MessageTarget {
public:
    // Not owned; null drops everything.
    void SetTarget(platform::MessageTarget* target) { target_ = target; }
    // The next amounts may start lower: called before each download attempt, whose counts
    // start again from what the completed spans reached.
    void Rearm();

    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override;

private:
    platform::MessageTarget* target_ = nullptr;
    std::mutex mutex_;
    platform::WParam file_floor_ = 0;
    platform::WParam package_floor_ = 0;
};

}  // namespace mapvale::catalog
