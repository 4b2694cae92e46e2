#include "ui/dlg_easy4.h"

#include "controller/main_frame.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 541;

}  // namespace

CDlgEasy4::CDlgEasy4(controller::CMainFrame& frame)
    : WizardPage(frame, kBackground, "CDlgEasy4"),
      movie_(MovieFor(frame.state().last_job_on_card)) {
    AddMovie(QRect(52, 99, 535, 279), movie_);
    AddCaptionButtons(false);
}

QString CDlgEasy4::MovieFor(bool card) {
    return QString::fromLatin1(card ? kCardMovie : kHardDiskMovie);
}

}  // namespace mapvale::ui
