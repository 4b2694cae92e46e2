#include "card/drive_watcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "model/messages.h"
#include "platform/fake_clock.h"
#include "platform/message_queue.h"
#include "platform/virtual_volumes.h"
#include "support/sandbox.h"

namespace mapvale::card {
namespace {

using platform::Message;
using testing::Sandbox;
using testing::WaitUntil;

constexpr std::uint64_t kMb = 1024 * 1024;

Message Arrived(char letter, int more) {
    return {kMsgDriveChange, static_cast<platform::WParam>(letter) + kDriveArrived, more};
}
Message Removed(char letter, int more) {
    return {kMsgDriveChange, static_cast<platform::WParam>(letter) + kDriveRemoved, more};
}

// A volume source whose listing hangs, once armed, until it is released: a drive that stops
// answering while the watcher scans (the scan holds the volumes' lock meanwhile).
class HangingSource final : public platform::VolumeSource {
public:
    explicit HangingSource(platform::VolumeSource& inner) : inner_(inner) {}

    void Arm() {
        std::lock_guard lock(mutex_);
        armed_ = true;
    }
    bool Hanging() const {
        std::lock_guard lock(mutex_);
        return hanging_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        released_cv_.notify_all();
    }

    std::vector<platform::Volume> Current() override {
        {
            std::unique_lock lock(mutex_);
            if (armed_) {
                hanging_ = true;
                released_cv_.wait(lock, [&] { return released_; });
                hanging_ = false;
                armed_ = false;
            }
        }
        return inner_.Current();
    }
    std::optional<platform::VolumeSpace> Space(const platform::Volume& volume) override {
        return inner_.Space(volume);
    }

private:
    platform::VolumeSource& inner_;
    mutable std::mutex mutex_;
    std::condition_variable released_cv_;
    bool armed_ = false;
    bool hanging_ = false;
    bool released_ = false;
};

// Cards are folders in a sandbox; the worker's periods pass only when the test moves the fake
// clock, so everything between two Tick() calls happens "between two ticks".
class DriveWatcherTest : public ::testing::Test {
protected:
    platform::VirtualVolumeEntry Card(char letter, std::uint64_t capacity_bytes) {
        const std::string folder = box_.Path(std::string("card-") + letter);
        std::filesystem::create_directories(folder);
        return {letter, capacity_bytes, folder};
    }

    // Lets at least one whole period pass on the worker.
    void Tick() {
        const std::uint64_t before = watcher_.PeriodCount();
        ASSERT_TRUE(WaitUntil([&] {
            if (watcher_.PeriodCount() > before) {
                return true;
            }
            clock_.Advance(DriveWatcher::kPeriod);
            return false;
        }));
    }

    Sandbox box_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_{{&cards_}};
    platform::FakeClock clock_;
    platform::FakeSleeper sleeper_{clock_, platform::FakeSleeper::Mode::kManual};
    platform::MessageQueue queue_;
    DriveWatcher watcher_{volumes_, sleeper_};
};

TEST_F(DriveWatcherTest, StartReportsThePresentCardsOfSixHundredMegabytesOrMore) {
    cards_.Insert(Card('E', 512 * kMb));
    cards_.Insert(Card('F', 1024 * kMb));
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('F', 0)}));
    EXPECT_TRUE(watcher_.IsRunning());
    EXPECT_EQ(watcher_.drive_message(), kMsgDriveChange);
    EXPECT_EQ(watcher_.folders(), (std::vector<std::string>{"TSKN_Ver_Info"}));
    EXPECT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 0);  // one worker only

    // Nothing changes: nothing is posted, however often it looks.
    Tick();
    Tick();
    EXPECT_TRUE(queue_.Drain().empty());
}

TEST_F(DriveWatcherTest, TwoCardsBetweenTicksGiveTwoMessagesTheFirstSayingMoreFollow) {
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    Tick();
    EXPECT_TRUE(queue_.Drain().empty());

    cards_.SetInserted({Card('G', 2048 * kMb), Card('E', 1024 * kMb)});
    Tick();
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('E', 1), Arrived('G', 0)}));
}

TEST_F(DriveWatcherTest, PullingACardPostsItsRemovalAndArrivalsComeFirst) {
    const auto first = Card('E', 1024 * kMb);
    cards_.Insert(first);
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    queue_.Drain();

    cards_.Eject(first.folder);
    Tick();
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Removed('E', 0)}));

    // A card that disappears with its folder, while another arrives in the same scan.
    const auto second = Card('F', 1024 * kMb);
    cards_.Insert(second);
    Tick();
    queue_.Drain();
    std::filesystem::remove_all(second.folder);
    cards_.Insert(Card('H', 4096 * kMb));
    Tick();
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('H', 1), Removed('F', 0)}));
}

TEST_F(DriveWatcherTest, StopEndsTheWorkerWithinOnePeriod) {
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    Tick();
    const std::int64_t before = clock_.NowMs();
    EXPECT_TRUE(watcher_.Stop());
    EXPECT_LT(clock_.NowMs() - before, DriveWatcher::kPeriod.count());
    EXPECT_FALSE(watcher_.IsRunning());
    EXPECT_TRUE(watcher_.Stop());  // nothing left to stop

    // Started again, it reports the drives present as arrivals once more.
    cards_.Insert(Card('E', 1024 * kMb));
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('E', 0)}));
}

TEST_F(DriveWatcherTest, WhileDisabledNothingIsScannedAndChangesFollowOnceEnabled) {
    ASSERT_EQ(watcher_.Start(queue_, "TSKN_Ver_Info"), 1);
    watcher_.SetEnabled(false);
    const std::uint64_t scans = watcher_.ScanCount();
    cards_.Insert(Card('E', 1024 * kMb));
    Tick();
    Tick();
    EXPECT_EQ(watcher_.ScanCount(), scans);
    EXPECT_TRUE(queue_.Drain().empty());

    watcher_.SetEnabled(true);
    Tick();
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('E', 0)}));
}

TEST_F(DriveWatcherTest, EveryWaitGoesThroughTheSleeper) {
    platform::FakeClock clock;
    platform::FakeSleeper sleeper(clock);  // auto-advance: the worker runs many periods at once
    cards_.Insert(Card('E', 1024 * kMb));
    DriveWatcher watcher(volumes_, sleeper);
    ASSERT_EQ(watcher.Start(queue_, "TSKN_Ver_Info"), 1);
    ASSERT_TRUE(WaitUntil([&] { return watcher.PeriodCount() >= 3; }));
    watcher.Stop();  // in time or not (real time decides here), it has ended afterwards
    EXPECT_FALSE(watcher.IsRunning());
    // Caught in a scan, it was left behind to finish that scan in the fixture's volumes.
    ASSERT_TRUE(WaitUntil([&] { return watcher.LeftBehindCount() == 0; }));
    EXPECT_GE(clock.NowMs() - platform::FakeClock().NowMs(), 3 * DriveWatcher::kPeriod.count());
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('E', 0)}));
}

TEST_F(DriveWatcherTest, StopLeavesAHangingScanBehindAfterOnePeriodAndNothingIsPostedLater) {
    HangingSource hanging(cards_);
    platform::MachineVolumes volumes({&hanging});
    platform::FakeClock clock;
    // Auto-advance: Stop's grace passes on the fake clock while the worker hangs.
    auto sleeper = std::make_unique<platform::FakeSleeper>(clock);
    const auto card = Card('E', 1024 * kMb);
    cards_.Insert(card);
    DriveWatcher watcher(volumes, *sleeper);
    ASSERT_EQ(watcher.Start(queue_, "TSKN_Ver_Info"), 1);
    EXPECT_EQ(queue_.Drain(), (std::vector<Message>{Arrived('E', 0)}));

    hanging.Arm();
    ASSERT_TRUE(WaitUntil([&] { return hanging.Hanging(); }));
    cards_.Eject(card.folder);  // what the hanging scan finds when it comes back

    // Stopped from a helper thread, so that a Stop that waits for the scan fails the test
    // instead of hanging it.
    std::atomic<bool> returned{false};
    bool in_time = true;
    std::int64_t waited_ms = -1;
    std::thread stopper([&] {
        const std::int64_t before = clock.NowMs();
        in_time = watcher.Stop();
        waited_ms = clock.NowMs() - before;
        returned = true;
    });
    const bool stopped = WaitUntil([&] { return returned.load(); });
    if (!stopped) {
        hanging.Release();
    }
    stopper.join();
    ASSERT_TRUE(stopped) << "Stop waited for the hanging scan";
    EXPECT_FALSE(in_time);
    EXPECT_EQ(waited_ms, DriveWatcher::kPeriod.count());
    EXPECT_FALSE(watcher.IsRunning());
    EXPECT_EQ(watcher.LeftBehindCount(), 1u);

    // The worker left behind no longer needs the sleeper; when its scan comes back it posts
    // nothing and ends.
    const std::uint64_t scans = watcher.ScanCount();
    sleeper.reset();
    hanging.Release();
    ASSERT_TRUE(WaitUntil([&] { return watcher.LeftBehindCount() == 0; }));
    EXPECT_EQ(watcher.ScanCount(), scans + 1);
    EXPECT_TRUE(queue_.Drain().empty());
}

}  // namespace
}  // namespace mapvale::card
