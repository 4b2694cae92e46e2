#include "ui/dlg_easy1.h"

#include "controller/main_frame.h"

namespace mapvale::ui {

namespace {

constexpr int kBackground = 541;
constexpr int kCheckImage = 507;  // 4 frames of 22 x 22

}  // namespace

CDlgEasy1::CDlgEasy1(controller::CMainFrame& frame) : WizardPage(frame, kBackground, "CDlgEasy1") {
    AddMovie(QRect(52, 99, 535, 294), QStringLiteral("Info/Process01.html"));
    AddCaptionButtons(true);
    AddButton(kBigNotices, kCheckImage, 4, 371, 565);
}

void CDlgEasy1::OnCommand(int id) {
    if (id == kBigNotices) {
        frame().state().settings.big = 1;
        return;
    }
    WizardPage::OnCommand(id);
}

}  // namespace mapvale::ui
