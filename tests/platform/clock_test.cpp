#include "platform/clock.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/event.h"
#include "platform/fake_clock.h"

namespace mapvale::platform {
namespace {

using std::chrono::milliseconds;

TEST(ClockTest, CivilDaysRoundTripAcrossLeapYearsAndEras) {
    for (std::int64_t days : {-719468LL, -1LL, 0LL, 11016LL, 19853LL, 2932896LL}) {
        const CivilTime t = CivilFromDays(days);
        EXPECT_EQ(DaysFromCivil(t.year, t.month, t.day), days);
    }
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2024, 3, 1) - DaysFromCivil(2024, 2, 28), 2);  // leap day
    EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1);  // no leap day
    EXPECT_EQ(CivilFromDays(DaysFromCivil(2024, 5, 10) - 7).DateNumber(), 20240503);
    EXPECT_EQ(CivilFromDays(DaysFromCivil(2024, 1, 3) - 7).DateNumber(), 20231227);
}

TEST(ClockTest, SystemUtcBreakdown) {
    SystemClock clock;
    const CivilTime t = clock.ToUtc(1715331903125);  // 2024-05-10 09:05:03.125 UTC
    EXPECT_EQ(t.DateNumber(), 20240510);
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 3);
    EXPECT_EQ(t.millisecond, 125);
    EXPECT_EQ(clock.ToUtc(-1).DateNumber(), 19691231);
}

TEST(FakeClockTest, LocalTimeFollowsOffset) {
    FakeClock clock;
    clock.SetUtcOffset(std::chrono::hours(9));
    clock.SetLocal(2024, 5, 20, 23, 30);
    EXPECT_EQ(clock.LocalNow().DateNumber(), 20240520);
    EXPECT_EQ(clock.UtcNow().hour, 14);
    clock.Advance(std::chrono::minutes(31));
    EXPECT_EQ(clock.LocalNow().DateNumber(), 20240521);
}

TEST(FakeClockTest, AutoAdvanceSleepCostsNoRealTime) {
    FakeClock clock;
    FakeSleeper sleeper(clock);
    const std::int64_t start = clock.Now();
    const std::uint64_t tick = clock.TickCount();
    sleeper.Sleep(std::chrono::minutes(20));
    sleeper.Sleep(milliseconds(500));
    EXPECT_EQ(clock.Now() - start, 1200);
    EXPECT_EQ(clock.TickCount() - tick, 1200500u);
    EXPECT_EQ(sleeper.Sleeps().size(), 2u);
    EXPECT_EQ(sleeper.TotalSlept(), milliseconds(1200500));
}

TEST(FakeClockTest, WaitForSeesASignalOrLetsFakeTimePass) {
    FakeClock clock;
    FakeSleeper sleeper(clock);
    Event event;
    const std::int64_t start = clock.NowMs();
    EXPECT_FALSE(sleeper.WaitFor(event, std::chrono::seconds(2)));
    EXPECT_EQ(clock.NowMs() - start, 2000);
    event.Set();
    EXPECT_TRUE(sleeper.WaitFor(event, std::chrono::seconds(2)));
    EXPECT_EQ(clock.NowMs() - start, 2000);  // a signal already there costs no time
    EXPECT_FALSE(event.IsSet());             // and was consumed
}

TEST(FakeClockTest, ManualSleepWaitsForTheTest) {
    FakeClock clock;
    FakeSleeper sleeper(clock, FakeSleeper::Mode::kManual);
    std::atomic<bool> woke{false};
    std::thread sleeper_thread([&] {
        sleeper.Sleep(std::chrono::seconds(5));
        woke = true;
    });
    while (sleeper.Sleeps().empty()) {
        std::this_thread::yield();
    }
    clock.Advance(std::chrono::seconds(4));
    EXPECT_FALSE(woke);
    clock.Advance(std::chrono::seconds(1));
    sleeper_thread.join();
    EXPECT_TRUE(woke);

    Event event;
    std::thread waiter([&] { EXPECT_TRUE(sleeper.WaitFor(event, std::chrono::hours(1))); });
    event.Set();
    waiter.join();
}

TEST(EventTest, AutoResetReleasesOneManualResetStays) {
    Event automatic;
    automatic.Set();
    EXPECT_TRUE(automatic.TryWait());
    EXPECT_FALSE(automatic.TryWait());

    Event manual(Event::Mode::kManualReset, true);
    EXPECT_TRUE(manual.TryWait());
    EXPECT_TRUE(manual.TryWait());
    manual.Reset();
    EXPECT_FALSE(manual.Wait(milliseconds(1)));

    Event cross;
    std::thread setter([&] { cross.Set(); });
    cross.Wait();
    setter.join();
}

}  // namespace
}  // namespace mapvale::platform
