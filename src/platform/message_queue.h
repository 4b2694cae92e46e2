#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/message_target.h"

namespace mapvale::platform {

struct Message {
    std::uint32_t message = 0;
    WParam w_param = 0;
    LParam l_param = 0;

    friend bool operator==(const Message&, const Message&) = default;
};

// A thread-safe first-in first-out message target: the console front end runs its loop on it and
// tests drain it to see what a worker posted.
class MessageQueue final : public MessageTarget {
public:
    void Post(std::uint32_t message, WParam w_param, LParam l_param) override;

    // The oldest message, or nothing when the queue is empty.
    std::optional<Message> TryTake();
    // Waits (in real time) up to `timeout` for a message.
    std::optional<Message> WaitTake(std::chrono::milliseconds timeout);
    // Everything queued now, oldest first; the queue is left empty.
    std::vector<Message> Drain();
    std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Message> messages_;
};

}  // namespace mapvale::platform
