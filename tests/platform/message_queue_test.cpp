#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <thread>

namespace mapvale::platform {
namespace {

TEST(MessageQueueTest, KeepsOrderAcrossThreads) {
    MessageQueue queue;
    std::thread a([&] {
        for (int i = 0; i < 1000; ++i) {
            queue.Post(0x701, static_cast<WParam>(i), 0);
        }
    });
    std::thread b([&] {
        for (int i = 0; i < 1000; ++i) {
            queue.Post(0x702, static_cast<WParam>(i), -3);
        }
    });
    a.join();
    b.join();
    WParam next701 = 0, next702 = 0;
    for (const Message& m : queue.Drain()) {
        WParam& expected = m.message == 0x701 ? next701 : next702;
        ASSERT_EQ(m.w_param, expected);
        ++expected;
    }
    EXPECT_EQ(next701, 1000u);
    EXPECT_EQ(next702, 1000u);
    EXPECT_FALSE(queue.TryTake());
}

TEST(MessageQueueTest, WaitTakeWakesOnPost) {
    MessageQueue queue;
    std::thread poster([&] { queue.Post(0x807, 0, 0); });
    auto m = queue.WaitTake(std::chrono::seconds(10));
    poster.join();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, 0x807u);
    EXPECT_FALSE(queue.WaitTake(std::chrono::milliseconds(1)));
}

}  // namespace
}  // namespace mapvale::platform
