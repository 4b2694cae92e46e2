#include "ui/frame_pump.h"

#include <gmock/gmock.h>

#include <QElapsedTimer>
#include <QMetaObject>
#include <thread>
#include <vector>

#include "model/messages.h"
#include "ui/wait_for.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;

class FramePumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        pump_.SetHandler([this](const platform::Message& message) { handled_.push_back(message); });
    }

    FramePump pump_;
    std::vector<platform::Message> handled_;
};

TEST_F(FramePumpTest, MessagesFromAWorkerArriveInOrderOnTheUserInterfaceThread) {
    std::thread worker([this] {
        for (std::uint64_t i = 0; i < 1000; ++i) {
            pump_.Post(kMsgDownloadProgress, i, 0);
        }
    });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return handled_.size() == 1000; }));
    for (std::uint64_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(handled_[i].w_param, i);
    }
}

TEST_F(FramePumpTest, NothingIsHandedOverWhileHeldAndEverythingInOrderAfter) {
    {
        FramePump::Hold outer(pump_);
        pump_.Post(kMsgDriveChange, 1, 0);
        {
            FramePump::Hold inner(pump_);
            pump_.Post(kMsgDriveChange, 2, 0);
        }
        pump_.DeliverAll();
        QCoreApplication::processEvents();
        EXPECT_TRUE(handled_.empty());
        pump_.Post(kWmClose, 0, 0);
    }
    ASSERT_TRUE(WaitFor([&] { return handled_.size() == 3; }));
    EXPECT_EQ(handled_[0].w_param, 1u);
    EXPECT_EQ(handled_[1].w_param, 2u);
    EXPECT_EQ(handled_[2].message, kWmClose);
}

TEST_F(FramePumpTest, TimerTicksCoalesceWhileHeldAndAKilledTimersTickIsDropped) {
    pump_.SetTimer(1, 10);
    {
        FramePump::Hold hold(pump_);
        QElapsedTimer waited;
        waited.start();
        // Several periods pass while the controller is busy.
        WaitFor([&] { return waited.elapsed() >= 80; }, 1000);
        EXPECT_EQ(pump_.Waiting(), 1u);
    }
    ASSERT_TRUE(WaitFor([&] { return !handled_.empty(); }));
    EXPECT_EQ(handled_.front().message, kWmTimer);
    EXPECT_EQ(handled_.front().w_param, 1u);

    // A tick waiting when its timer is killed is not handed over.
    pump_.SetTimer(2, 10);
    {
        FramePump::Hold hold(pump_);
        WaitFor([&] { return pump_.Waiting() > 0 && !pump_.HasTimer(7); }, 1000);
        pump_.KillTimer(1);
        pump_.KillTimer(2);
    }
    handled_.clear();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    for (const platform::Message& message : handled_) {
        EXPECT_NE(message.message, kWmTimer);
    }
}

TEST_F(FramePumpTest, ABurstIsHandedOverInBatchesWithTheWindowsServedBetween) {
    constexpr std::size_t kBurst = 20000;
    for (std::size_t i = 0; i < kBurst; ++i) {
        pump_.Post(kMsgCopyFileProgress, i, 0);
    }
    // Something else the event loop has to do, queued behind the burst's wake-up.
    std::size_t handled_when_served = 0;
    bool served = false;
    QMetaObject::invokeMethod(
        &pump_,
        [&] {
            served = true;
            handled_when_served = handled_.size();
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(WaitFor([&] { return handled_.size() == kBurst; }, 30000));
    ASSERT_TRUE(served);
    EXPECT_LT(handled_when_served, kBurst);
}

TEST_F(FramePumpTest, WithoutAHandlerMessagesWait) {
    FramePump pump;
    pump.Post(kWmClose, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(pump.Waiting(), 1u);
    std::vector<platform::Message> seen;
    pump.SetHandler([&](const platform::Message& message) { seen.push_back(message); });
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
}

}  // namespace
}  // namespace mapvale::ui
