#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/message_queue.h"

namespace mapvale::tray {

// The agent's window queue in Qt: the drive watcher's reports and the close request arrive from
// other threads and are handed to the agent on the user-interface thread, in order, from the
// main loop. A post only wakes this object, with at most one wake-up waiting.
//
// Thread safety: Post from any thread; everything else on the user-interface thread.
class TrayMessagePump final : public QObject, public platform::MessageTarget {
    Q_OBJECT

public:
    using Handler = std::function<void(const platform::Message& message)>;

    explicit TrayMessagePump(QObject* parent = nullptr);
    ~TrayMessagePump() override;

    // Where messages go; without a handler they stay queued.
    void SetHandler(Handler handler);
    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override;

private:
    void Deliver();

    platform::MessageQueue queue_;
    Handler handler_;
    std::atomic<bool> wake_pending_{false};
};

}  // namespace mapvale::tray
