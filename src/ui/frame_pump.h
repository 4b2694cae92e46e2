#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/message_queue.h"

namespace mapvale::ui {

// Carries the controller's messages from the workers to the user-interface thread and hands
// them to the controller there, one at a time and never while the controller is inside a call of
// its own.
//
// Workers post into a platform MessageQueue (its lock carries the data across threads); a post
// only wakes this object, with at most one wake-up waiting. The controller waits inside some
// front-end calls (a message box, a modal dialog, the folder chooser, a sign-in that lets events
// through): while a Hold exists, messages and timer ticks stay queued and are handed over in
// order once the last Hold ends. A burst is handed over in bounded batches with painting in
// between, so progress messages never freeze the windows.
//
// Thread safety: Post may be called from any thread; everything else on the UI thread.
class FramePump final : public QObject, public platform::MessageTarget {
    Q_OBJECT

public:
    using Handler = std::function<void(const platform::Message&)>;

    explicit FramePump(QObject* parent = nullptr);
    ~FramePump() override;

    // Where messages go; without a handler they stay queued.
    void SetHandler(Handler handler);

    void Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) override;

    // Window timers: `id` ticks every `milliseconds` as a WM_TIMER message. A tick that finds the
    // previous one still waiting is dropped, as window timers coalesce; a killed timer's waiting
    // tick is not handed over.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool HasTimer(int id) const { return timers_.contains(id); }

    // While one exists, nothing is handed to the controller.
    class Hold {
    public:
        explicit Hold(FramePump& pump);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        FramePump& pump_;
    };
    bool Holding() const { return holds_ > 0; }

    // Hands over everything waiting now, holds permitting; used where the caller needs the
    // queue empty before it goes on (start-up, tests).
    void DeliverAll();
    std::size_t Waiting() const { return queue_.Size(); }

private:
    void Wake();
    void DeliverBatch();
    void Deliver(const platform::Message& message);
    void OnTick(int id);

    platform::MessageQueue queue_;
    Handler handler_;
    std::atomic<bool> wake_pending_{false};
    int holds_ = 0;
    bool delivering_ = false;
    QHash<int, QTimer*> timers_;
    QSet<int> ticks_waiting_;
};

}  // namespace mapvale::ui
