#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "platform/clock.h"

namespace mapvale::servers {

// Spreads one answer's body over time so that on average no more than `bytes_per_second` leave,
// counted from the pacer's creation. Time comes from the clock's tick count, so tests can drive
// it with a FakeClock.
//
// Thread safety: one thread per pacer.
class Pacer {
public:
    Pacer(std::uint64_t bytes_per_second, const platform::Clock& clock);

    // The largest piece to write at once: about a tenth of a second's worth (at least 1 byte,
    // at most 64 KiB), which keeps the flow even instead of bursting once a second.
    std::size_t PieceSize() const;
    // Records `bytes` just written and answers how long to wait before writing more (zero when
    // the body is behind its pace).
    std::chrono::milliseconds Account(std::uint64_t bytes);

private:
    std::uint64_t bytes_per_second_;
    const platform::Clock& clock_;
    std::uint64_t start_tick_;
    std::uint64_t sent_ = 0;
};

}  // namespace mapvale::servers
