#include "ui/frame_pump.h"

#include <QMetaObject>
#include <algorithm>

#include "model/messages.h"

namespace mapvale::ui {

namespace {
// A batch ends after this many messages or this much time, whichever comes first; the rest
// follows after the windows had their turn.
constexpr int kBatchMessages = 500;
constexpr qint64 kBatchMs = 15;
}  // namespace

FramePump::FramePump(QObject* parent) : QObject(parent) {}

FramePump::~FramePump() {
    qDeleteAll(timers_);
}

void FramePump::SetHandler(Handler handler) {
    handler_ = std::move(handler);
    Wake();
}

void FramePump::Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) {
    queue_.Post(message, w_param, l_param);
    Wake();
}

void FramePump::Wake() {
    if (wake_pending_.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(this, &FramePump::DeliverBatch, Qt::QueuedConnection);
}

void FramePump::SetTimer(int id, int milliseconds) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer();
        connect(timer, &QTimer::timeout, this, [this, id] { OnTick(id); });
    }
    // Window timers have a floor; a period of 0 would tick at every turn of the loop.
    timer->start(std::max(milliseconds, 10));
}

void FramePump::KillTimer(int id) {
    if (QTimer* timer = timers_.take(id)) {
        delete timer;
    }
}

void FramePump::OnTick(int id) {
    if (ticks_waiting_.contains(id)) {
        return;
    }
    ticks_waiting_.insert(id);
    Post(kWmTimer, static_cast<platform::WParam>(id), 0);
}

FramePump::Hold::Hold(FramePump& pump) : pump_(pump) {
    ++pump_.holds_;
}

FramePump::Hold::~Hold() {
    if (--pump_.holds_ == 0 && pump_.queue_.Size() > 0) {
        pump_.wake_pending_ = false;
        pump_.Wake();
    }
}

void FramePump::DeliverBatch() {
    wake_pending_ = false;
    if (holds_ > 0 || delivering_ || !handler_) {
        return;
    }
    QElapsedTimer batch;
    batch.start();
    for (int count = 0; count < kBatchMessages && batch.elapsed() < kBatchMs; ++count) {
        if (holds_ > 0 || !handler_) {
            return;  // the last message opened a box; the Hold's end wakes us again
        }
        const std::optional<platform::Message> message = queue_.TryTake();
        if (!message) {
            return;
        }
        Deliver(*message);
    }
    if (queue_.Size() > 0) {
        Wake();
    }
}

void FramePump::DeliverAll() {
    while (holds_ == 0 && handler_ && !delivering_) {
        const std::optional<platform::Message> message = queue_.TryTake();
        if (!message) {
            return;
        }
        Deliver(*message);
    }
}

void FramePump::Deliver(const platform::Message& message) {
    if (message.message == kWmTimer) {
        const int id = static_cast<int>(message.w_param);
        ticks_waiting_.remove(id);
        if (!timers_.contains(id)) {
            return;
        }
    }
    delivering_ = true;
    handler_(message);
    delivering_ = false;
}

}  // namespace mapvale::ui
