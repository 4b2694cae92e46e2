#include "tray/random_delay.h"

namespace mapvale::tray {

SeededRandomDraw::SeededRandomDraw(std::uint64_t seed)
    : engine_(static_cast<std::minstd_rand::result_type>(seed % 2147483646u + 1u)) {}

int SeededRandomDraw::Next() {
    return static_cast<int>(engine_() % static_cast<unsigned>(kDrawLimit));
}

std::int64_t DailyDelayMs(int draw) {
    const std::int64_t bits = static_cast<std::int64_t>(draw) & (RandomDraw::kDrawLimit - 1);
    return bits * kDailyDelaySpanMs / RandomDraw::kDrawLimit;
}

std::int64_t NextDailyDelayMs(RandomDraw& random) {
    int kept = 0;
    for (int i = 0; i < 5; ++i) {
        const int draw = random.Next();
        if (i == 3) {
            kept = draw;
        }
    }
    return DailyDelayMs(kept);
}

}  // namespace mapvale::tray
