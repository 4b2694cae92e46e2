#include "platform/message_queue.h"

namespace mapvale::platform {

void MessageQueue::Post(std::uint32_t message, WParam w_param, LParam l_param) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({message, w_param, l_param});
    }
    posted_.notify_one();
}

std::optional<Message> MessageQueue::TryTake() {
    std::lock_guard lock(mutex_);
    if (messages_.empty()) {
        return std::nullopt;
    }
    Message m = messages_.front();
    messages_.pop_front();
    return m;
}

std::optional<Message> MessageQueue::WaitTake(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!posted_.wait_for(lock, timeout, [this] { return !messages_.empty(); })) {
        return std::nullopt;
    }
    Message m = messages_.front();
    messages_.pop_front();
    return m;
}

std::vector<Message> MessageQueue::Drain() {
    std::lock_guard lock(mutex_);
    std::vector<Message> out(messages_.begin(), messages_.end());
    messages_.clear();
    return out;
}

std::size_t MessageQueue::Size() const {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

}  // namespace mapvale::platform
