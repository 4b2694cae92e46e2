#pragma once

#include <cstdint>
#include <random>

namespace mapvale::tray {

// Draws of 15 bits (0 to 32767), as the agent's delay arithmetic expects of the C library's
// generator. A wider draw (glibc's rand() goes to 2^31 - 1) would make the "up to four hours"
// delay one of years.
class RandomDraw {
public:
    virtual ~RandomDraw() = default;
    // A number from 0 to kDrawLimit - 1.
    virtual int Next() = 0;

    static constexpr int kDrawLimit = 32768;
};

// A generator seeded once with the time of its making.
class SeededRandomDraw final : public RandomDraw {
public:
    explicit SeededRandomDraw(std::uint64_t seed);
    int Next() override;

private:
    std::minstd_rand engine_;
};

// The longest delay, exclusive: four hours.
inline constexpr std::int64_t kDailyDelaySpanMs = 14'400'000;

// The delay of the daily work for one draw: draw / 32768 of four hours, cut to whole
// milliseconds. A draw outside 0-32767 is taken modulo 32768, so the delay is always below four
// hours.
std::int64_t DailyDelayMs(int draw);

// Draws five numbers and keeps the fourth, as the agent always has, and turns it into a delay.
std::int64_t NextDailyDelayMs(RandomDraw& random);

}  // namespace mapvale::tray
