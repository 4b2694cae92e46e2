#include "ui/dlg_re_agree_popup.h"

#include <QUrl>

#include "controller/main_frame.h"
#include "net/traffic_consent.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "ui/web/web.h"

namespace mapvale::ui {

namespace {

constexpr int kOk = 1;
constexpr int kAgree = 1050;
constexpr int kDecline = 1054;
constexpr std::string_view kAgreementPage = "Info/TraInfoLicenseAgreement.htm";

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CDlgReAgreePopUp::CDlgReAgreePopUp(controller::CMainFrame& frame, QWidget* parent)
    : CSkinDialog(parent, kBackground), frame_(frame) {
    setObjectName(QStringLiteral("CDlgReAgreePopUp"));
    setWindowTitle(QtFrameUi::kProgramTitle);
    SetDragArea(kDragBody);

    page_ = new CWeb(this);
    page_->setObjectName(QStringLiteral("page"));
    page_->setGeometry(22, 138, 494, 160);
    page_->Navigate(QUrl::fromLocalFile(FromUtf8(frame_.state().settings.program_folder +
                                                 std::string(kAgreementPage)))
                        .toString());

    agree_ = AddButton(kAgree, 515, 5, 312, 150, ButtonMode::kRadio);
    decline_ = AddButton(kDecline, 515, 5, 312, 330, ButtonMode::kRadio);
    choices_.Add(agree_);
    choices_.Add(decline_);
    const int consent = frame_.state().settings.traffic_consent;
    if (consent == 1) {
        agree_->SetGroupCheck(CImageButton::kSelf);
    } else if (consent == 0) {
        decline_->SetGroupCheck(CImageButton::kSelf);
    }
    ok_ = AddButton(kOk, 516, 4, 340, 234);
    ok_->setEnabled(false);
}

void CDlgReAgreePopUp::OnCommand(int id) {
    switch (id) {
        case kAgree:
        case kDecline: {
            const net::TrafficChoice choice =
                id == kAgree ? net::TrafficChoice::kAgree : net::TrafficChoice::kDecline;
            if (frame_.ApplyTrafficChoice(choice) == 0) {
                ShowMessageBox(this, FromUtf8(net::kTextNoSignedInUser),
                               FromUtf8(net::kCaptionSettingsError), MessageBoxButtons::kOk,
                               MessageBoxIcon::kNone, QtFrameUi::kProgramTitle);
                done(QDialog::Rejected);
                return;
            }
            ok_->setEnabled(true);
            break;
        }
        case kOk:
            if (ok_->isEnabled()) {
                done(QDialog::Accepted);  // Enter before a choice does nothing
            }
            break;
        case 2:
            done(QDialog::Rejected);  // closed without OK: not confirmed
            break;
        default:
            break;
    }
}

}  // namespace mapvale::ui
