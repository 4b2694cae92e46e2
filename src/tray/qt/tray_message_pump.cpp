#include "tray/qt/tray_message_pump.h"

#include <QMetaObject>

namespace mapvale::tray {

TrayMessagePump::TrayMessagePump(QObject* parent) : QObject(parent) {}

TrayMessagePump::~TrayMessagePump() = default;

void TrayMessagePump::SetHandler(Handler handler) {
    handler_ = std::move(handler);
    if (handler_) {
        wake_pending_ = true;
        QMetaObject::invokeMethod(this, &TrayMessagePump::Deliver, Qt::QueuedConnection);
    }
}

void TrayMessagePump::Post(std::uint32_t message, platform::WParam w_param,
                           platform::LParam l_param) {
    queue_.Post(message, w_param, l_param);
    if (!wake_pending_.exchange(true)) {
        QMetaObject::invokeMethod(this, &TrayMessagePump::Deliver, Qt::QueuedConnection);
    }
}

void TrayMessagePump::Deliver() {
    // Cleared first: a post made while these are handled wakes the pump again.
    wake_pending_ = false;
    while (handler_) {
        const auto message = queue_.TryTake();
        if (!message) {
            break;
        }
        handler_(*message);
    }
}

}  // namespace mapvale::tray
