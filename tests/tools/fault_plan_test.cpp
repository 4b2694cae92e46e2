#include "mapvale-servers/fault_plan.h"

#include <gtest/gtest.h>

#include "mapvale-servers/pacer.h"
#include "platform/fake_clock.h"

namespace mapvale::servers {
namespace {

using namespace std::chrono_literals;

TEST(FaultPlanTest, StatusRulesMatchInOrder) {
    FaultOptions options;
    options.status_rules = {{503, "/busy/*"}, {404, "*.mms"}, {500, "/x/*"}};
    const FaultPlan plan(options);
    EXPECT_EQ(plan.InjectedStatus("/busy/a/b.zip"), 503);  // '*' crosses folders
    EXPECT_EQ(plan.InjectedStatus("/WMK/WMKChkDown.mms"), 404);
    EXPECT_EQ(plan.InjectedStatus("/x/busy/y.mms"), 404);
    EXPECT_EQ(plan.InjectedStatus("/busy"), std::nullopt);
    EXPECT_EQ(plan.InjectedStatus("/a.zip"), std::nullopt);
}

TEST(FaultPlanTest, ResetsCountOnlyMatchingAnswers) {
    FaultOptions options;
    options.reset_after = 10;
    options.reset_every = 2;
    options.reset_paths = {"*.bin", "/spans/*"};
    FaultPlan every(options);
    EXPECT_EQ(every.CutAfter("/a.bin"), std::nullopt);  // counted answer 1
    EXPECT_EQ(every.CutAfter("/a.txt"), std::nullopt);  // not counted
    EXPECT_EQ(every.CutAfter("/spans/x.z01"), 10u);     // 2
    EXPECT_EQ(every.CutAfter("/b.bin"), std::nullopt);  // 3
    EXPECT_EQ(every.CutAfter("/c.bin"), 10u);           // 4

    FaultOptions once_options;
    once_options.reset_after = 0;
    FaultPlan once(once_options);
    EXPECT_EQ(once.CutAfter("/a"), 0u);
    EXPECT_EQ(once.CutAfter("/a"), std::nullopt);

    FaultPlan none;
    EXPECT_EQ(none.CutAfter("/a"), std::nullopt);
}

TEST(FaultPlanTest, PacerKeepsTheAverageRate) {
    platform::FakeClock clock;
    Pacer pacer(1000, clock);
    EXPECT_EQ(pacer.PieceSize(), 100u);
    // Pieces written instantly wait out their share of a second each.
    EXPECT_EQ(pacer.Account(100), 100ms);
    clock.Advance(100ms);
    EXPECT_EQ(pacer.Account(100), 100ms);
    clock.Advance(100ms);
    // A writer that fell behind (a slow client) is not made to wait...
    clock.Advance(1000ms);
    EXPECT_EQ(pacer.Account(100), 0ms);
    // ...and may catch up to the average, but not beyond it.
    EXPECT_EQ(pacer.Account(900), 0ms);
    EXPECT_EQ(pacer.Account(100), 100ms);
    // Rounded up: never faster than the rate.
    Pacer third(3, clock);
    EXPECT_EQ(third.Account(1), 334ms);

    EXPECT_EQ(Pacer(5, clock).PieceSize(), 1u);
    EXPECT_EQ(Pacer(100'000'000, clock).PieceSize(), 64u * 1024);
}

}  // namespace
}  // namespace mapvale::servers
