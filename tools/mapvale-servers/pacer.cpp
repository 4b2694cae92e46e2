#include "mapvale-servers/pacer.h"

#include <algorithm>

namespace mapvale::servers {

Pacer::Pacer(std::uint64_t bytes_per_second, const platform::Clock& clock)
    : bytes_per_second_(std::max<std::uint64_t>(bytes_per_second, 1)),
      clock_(clock),
      start_tick_(clock.TickCount()) {}

std::size_t Pacer::PieceSize() const {
    constexpr std::uint64_t kLargest = 64 * 1024;
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(bytes_per_second_ / 10, 1, kLargest));
}

std::chrono::milliseconds Pacer::Account(std::uint64_t bytes) {
    sent_ += bytes;
    // When the bytes sent so far are due, in milliseconds after the start (rounded up, so the
    // average never exceeds the rate).
    const std::uint64_t due = (sent_ * 1000 + bytes_per_second_ - 1) / bytes_per_second_;
    const std::uint64_t elapsed = clock_.TickCount() - start_tick_;
    if (due <= elapsed) {
        return std::chrono::milliseconds(0);
    }
    return std::chrono::milliseconds(due - elapsed);
}

}  // namespace mapvale::servers
