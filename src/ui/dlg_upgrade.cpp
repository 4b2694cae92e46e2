#include "ui/dlg_upgrade.h"

#include <QPointer>
#include <QProgressBar>
#include <algorithm>

#include "model/messages.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "update/check_decision.h"
#include "update/elevation.h"
#include "update/restart.h"
#include "update/update_texts.h"

namespace mapvale::ui {

namespace {

constexpr int kCancel = 2;
constexpr int kBar = 1044;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

update::UpdateSetup WithWindow(update::UpdateSetup setup, platform::MessageTarget& window) {
    setup.window = &window;
    return setup;
}

}  // namespace

CDlgUpgrade::CDlgUpgrade(const update::UpdateSetup& setup, update::ElevationService& elevation,
                         QWidget* parent)
    : CSkinDialog(parent, kBackground),
      setup_(setup),
      elevation_(elevation),
      job_(WithWindow(setup, *this)) {
    setObjectName(QStringLiteral("CDlgUpgrade"));
    SetDragArea(kDragBody);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QString::number(kBar));
    bar_->setGeometry(13, 34, 275, 22);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    AddButton(kCancel, 505, 4, 70, 270);
}

CDlgUpgrade::~CDlgUpgrade() {
    job_.Cancel();
    job_.Wait();
}

int CDlgUpgrade::Percent() const {
    return bar_->value();
}

void CDlgUpgrade::Post(std::uint32_t message, platform::WParam w_param, platform::LParam l_param) {
    QMetaObject::invokeMethod(
        this, [this, message, w_param, l_param] { Handle(message, w_param, l_param); },
        Qt::QueuedConnection);
}

int CDlgUpgrade::Box(std::string_view text, std::string_view caption, bool yes_no) {
    QWidget* owner = shown_ ? this : nullptr;
    return ShowMessageBox(owner, FromUtf8(text), FromUtf8(caption),
                          yes_no ? MessageBoxButtons::kYesNo : MessageBoxButtons::kOk,
                          yes_no ? MessageBoxIcon::kQuestion : MessageBoxIcon::kNone,
                          QtFrameUi::kProgramTitle);
}

CDlgUpgrade::Outcome CDlgUpgrade::Run() {
    const update::CheckDecision decision = update::CheckForUpdates(job_, &elevation_);
    switch (decision.action) {
        case update::CheckAction::kContinue:
            return Outcome::kContinue;
        case update::CheckAction::kEndProgram:
            if (!decision.message_text.empty()) {
                Box(decision.message_text, decision.message_title, false);
            }
            job_.Cancel();
            return Outcome::kCancel;
        case update::CheckAction::kRestartElevated:
            if (!decision.message_text.empty()) {
                Box(decision.message_text, decision.message_title, false);
            }
            elevation_.RelaunchElevated(update::UpdaterLaunch(setup_.program_folder));
            return Outcome::kCancel;
        case update::CheckAction::kUpdate:
            break;
    }
    setWindowTitle(FromUtf8(update::kTextDialogTitle));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    shown_ = decision.show_dialog;
    if (!job_.Start()) {
        return Outcome::kCancel;
    }
    running_ = true;
    if (shown_) {
        exec();
    } else {
        hidden_loop_.exec();
    }
    running_ = false;
    switch (run_result_) {
        case update::UpdateJob::kRunUpdated:
            return Outcome::kRestart;
        case update::UpdateJob::kRunUnchanged:
            return Outcome::kContinue;
        default:
            return Outcome::kCancel;
    }
}

void CDlgUpgrade::Handle(std::uint32_t message, platform::WParam w_param,
                         platform::LParam l_param) {
    if (finished_) {
        return;
    }
    if (message == kMsgDownloadProgress) {
        if (l_param > 0) {
            const platform::WParam percent = std::min<platform::WParam>(
                w_param * 100 / static_cast<platform::WParam>(l_param), 100);
            bar_->setValue(static_cast<int>(percent));
        }
    } else if (message == WM_DOWNLOAD_COMPLETE) {
        // Every file is in: the bar is full even when the files were too small to count in
        // kilobytes.
        bar_->setValue(100);
    } else if (message == kWmCommand) {
        run_result_ = w_param == static_cast<platform::WParam>(IDOK)
                          ? static_cast<int>(l_param)
                          : update::UpdateJob::kRunCancelled;
        finished_ = true;
        if (!asking_) {
            Finish();
        }
    }
}

void CDlgUpgrade::Finish() {
    if (!running_) {
        return;
    }
    if (shown_) {
        done(run_result_ == update::UpdateJob::kRunCancelled ? QDialog::Rejected
                                                             : QDialog::Accepted);
    } else {
        hidden_loop_.exit();
    }
}

void CDlgUpgrade::OnCommand(int id) {
    if (id != kCancel || finished_ || asking_ || !running_) {
        return;  // the worker has ended: its result stands
    }
    asking_ = true;
    const QPointer<CDlgUpgrade> alive(this);
    const int answer = Box(update::kTextCancelQuestion, update::kTextCancelTitle, true);
    if (!alive) {
        return;
    }
    asking_ = false;
    if (finished_) {
        Finish();  // the worker ended while the question was open
        return;
    }
    if (answer == kIdYes) {
        job_.Cancel();
        finished_ = true;
        run_result_ = update::UpdateJob::kRunCancelled;
        Finish();
    }
}

}  // namespace mapvale::ui
