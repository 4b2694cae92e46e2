#include "ui/dlg_easy2.h"

#include <QLabel>

#include "controller/main_frame.h"
#include "controller/wizard_lines.h"
#include "ui/skin/picture_ex.h"
#include "ui/web/movie_view.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 542;
constexpr int kChangeImage = 423;  // 4 frames of 64 x 22

}  // namespace

CDlgEasy2::CDlgEasy2(controller::CMainFrame& frame) : WizardPage(frame, kBackground, "CDlgEasy2") {
    countdown_ = AddMovie(QRect(248, 120, 144, 144), QString::fromLatin1(kCountdownMovie));
    // The command arrives inside the web engine's call into the program, and the start asks in
    // windows of their own (the notice is a web page too) that cannot load while that call is
    // still under way: the start waits until it returned.
    connect(
        countdown_, &CMovieView::FSCommand, this, [this] { OnCountdownEnd(); },
        Qt::QueuedConnection);
    animation_ = new CPictureEx(this);
    animation_->setObjectName(QString::number(kAnimation));
    if (animation_->Load(QStringLiteral(":/skin/490.gif"))) {
        animation_->move(440, 120);
        animation_->Draw();
    }
    summary_ = AddLine(kSummary, QRect(140, 300, 432, 16), 13);
    summary_->setAlignment(Qt::AlignCenter);
    AddCaptionButtons(true);
    AddButton(kChangeOptions, kChangeImage, 4, 400, 324);
    RefreshLists();
}

void CDlgEasy2::RefreshLists() {
    const controller::ControllerState& state = frame().state();
    const CardInfo* card = state.SelectedCard();
    summary_->setText(WizardText(controller::SummaryLine(
        state.selected_device, card, controller::WizardPackageCode(state.selected_device, card))));
}

void CDlgEasy2::OnCommand(int id) {
    if (id == kChangeOptions) {
        frame().ShowScreen(controller::kScreenOptions);
        return;
    }
    WizardPage::OnCommand(id);
}

void CDlgEasy2::OnCountdownEnd() {
    // The movie's first command ends the countdown; it is not read, and later ones mean nothing.
    if (counted_down_) {
        return;
    }
    counted_down_ = true;
    const int started = frame().StartJob();
    frame().ShowScreen(started == 1 ? controller::kScreenProgress : controller::kScreenOptions);
}

}  // namespace mapvale::ui
