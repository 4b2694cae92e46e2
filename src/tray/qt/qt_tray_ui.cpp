#include "tray/qt/qt_tray_ui.h"

#include <QApplication>
#include <QMetaObject>

#include "model/messages.h"
#include "tray/qt/c_tray_icon.h"
#include "tray/qt/ver_chk_window.h"
#include "tray/tray_constants.h"
#include "ui/skin/skin_image.h"

namespace mapvale::tray {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtTrayUi::QtTrayUi(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks)) {
    icon_ = std::make_unique<CTrayIcon>(
        [this](std::uint32_t id, std::uint32_t mouse) { Send(kMsgTrayNotify, id, mouse); },
        [this](int command) { Send(kWmCommand, static_cast<platform::WParam>(command), 0); });
}

QtTrayUi::~QtTrayUi() {
    for (const QPointer<QWidget>& notice : notices_) {
        delete notice.data();
    }
    delete popup_;
}

void QtTrayUi::Send(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) {
    if (hooks_.deliver) {
        hooks_.deliver(message, w_param, l_param);
    }
}

bool QtTrayUi::AddTrayIcon(std::string_view tip) {
    return icon_->Add(Text(tip));
}

void QtTrayUi::SetTrayIcon(int resource) {
    icon_->SetIcon(QIcon(ui::SkinImage(resource)));
}

void QtTrayUi::RemoveTrayIcon() {
    icon_->Remove();
}

void QtTrayUi::ShowPopup(int type, std::string_view text, int mode) {
    if (popup_ == nullptr) {
        popup_ = new VerChkWindow([this](int popup_mode) {
            if (hooks_.start_updater) {
                hooks_.start_updater(popup_mode);
            }
        });
        popup_->setObjectName(QStringLiteral("VerChkWindow"));
        popup_->SetSlideDurations(slide_in_ms_, slide_out_ms_);
    }
    popup_->Fill(type, Text(text), mode);
}

void QtTrayUi::ShowNoticeWindow(const std::string& url, std::string_view title) {
    if (!hooks_.make_notice) {
        return;
    }
    NoticeRequest request;
    request.url = QString::fromStdString(url);
    request.title = Text(title);
    request.exec = [this] {
        if (hooks_.start_updater) {
            hooks_.start_updater(kModeSystray);
        }
    };
    if (QWidget* window = hooks_.make_notice(request)) {
        notices_.append(QPointer<QWidget>(window));
    }
}

QList<QWidget*> QtTrayUi::notice_windows() const {
    QList<QWidget*> windows;
    for (const QPointer<QWidget>& notice : notices_) {
        if (notice) {
            windows.append(notice.data());
        }
    }
    return windows;
}

void QtTrayUi::SetTimer(int id, int milliseconds) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::CoarseTimer);
        connect(timer, &QTimer::timeout, this,
                [this, id] { Send(kWmTimer, static_cast<platform::WParam>(id), 0); });
    }
    timer->start(std::max(milliseconds, 0));
}

void QtTrayUi::KillTimer(int id) {
    // Kept for the next SetTimer: a timer may be killed from inside its own tick.
    if (QTimer* timer = timers_.value(id)) {
        timer->stop();
    }
}

QHash<int, int> QtTrayUi::TimerPeriods() const {
    QHash<int, int> periods;
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it.value()->isActive()) {
            periods.insert(it.key(), it.value()->interval());
        }
    }
    return periods;
}

void QtTrayUi::SetPopupSlideDurations(int in_ms, int out_ms) {
    slide_in_ms_ = in_ms;
    slide_out_ms_ = out_ms;
    if (popup_ != nullptr) {
        popup_->SetSlideDurations(in_ms, out_ms);
    }
}

void QtTrayUi::Quit() {
    for (QTimer* timer : timers_) {
        timer->stop();
    }
    if (hooks_.quit) {
        hooks_.quit();
        return;
    }
    // Queued: the agent may end before the main loop has started.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace mapvale::tray
