#include "ui/dlg_easy3.h"

#include <QLabel>

#include "controller/banners.h"
#include "controller/main_frame.h"
#include "controller/movie_requests.h"
#include "controller/wizard_texts.h"
#include "model/server_config.h"
#include "ui/skin/image_clock.h"
#include "ui/web/c_notidlg.h"
#include "ui/web/movie_view.h"
#include "ui/web/panel_addresses.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 543;
constexpr int kHelpImage = 546;    // 4 frames of 28 x 28
constexpr int kNoticeImage = 547;  // 4 frames of 28 x 28

}  // namespace

CDlgEasy3::CDlgEasy3(controller::CMainFrame& frame) : WizardPage(frame, kBackground, "CDlgEasy3") {
    movie_ = AddMovie(QRect(52, 121, 534, 149), QStringLiteral("Info/Process03.html"));
    clock_ = new CImageClock(this);
    clock_->setObjectName(QString::number(kClock));
    clock_->move(191, 85);
    status_ = AddLine(kStatus, QRect(85, 293, 289, 13));

    banner_ = new CWeb(this);
    banner_->setObjectName(QString::number(kBanner));
    banner_->setGeometry(52, 306, 608, 115);
    const controller::ControllerState& state = frame.state();
    std::string banner = state.current_e;
    if (banner.empty()) {
        // No E banner listed: the content server's default banner page rather than a blank area.
        const std::string content = state.servers.HostText(ServerConfig::kContent);
        if (!content.empty()) {
            banner = "http://" + content + std::string(controller::kDefaultBannerPage);
        }
    }
    banner_->Navigate(WizardText(banner));

    AddCaptionButtons(false);
    AddButton(kHelp, kHelpImage, 4, 121, 610);
    AddButton(kNotice, kNoticeImage, 4, 157, 610);

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &CDlgEasy3::Refresh);
    timer_.start();
    Refresh();
}

void CDlgEasy3::Refresh() {
    const controller::ControllerState& state = frame().state();
    status_->setText(WizardText(controller::ProgressLine(
        state.last_progress_kind, state.current_install_item, state.current_download_item)));
    const controller::WizardProgress progress =
        controller::ComputeWizardProgress(state.selected_device, state.selected_drive != 0);
    SendBar(progress.download_bar, last_download_bar_);
    SendBar(progress.install_bar, last_install_bar_);
    clock_->SetTime(progress.clock_seconds);
}

void CDlgEasy3::SendBar(int value, int& last) {
    if (value == last) {
        return;
    }
    last = value;
    sent_.push_back(value);
    movie_->CallMovie(controller::SetSizeProBarRequest(value));
}

void CDlgEasy3::OnCommand(int id) {
    switch (id) {
        case kHelp: {
            const std::string host = frame().state().servers.HostText(ServerConfig::kRegistration);
            if (!host.empty()) {
                frame().ui().OpenWithDesktop("http://" + host +
                                             std::string(controller::kHelpPagePath));
            }
            break;
        }
        case kNotice: {
            CCNotidlg notice(this, WizardText(NoticeBoardAddress(frame().state().servers)));
            notice.SetShowNotice(true);
            notice.exec();
            break;
        }
        default:
            WizardPage::OnCommand(id);
            break;
    }
}

}  // namespace mapvale::ui
