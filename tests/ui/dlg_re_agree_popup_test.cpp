// The traffic agreement dialog over a signed-in controller against the served world.

#include "ui/dlg_re_agree_popup.h"

#include <gmock/gmock.h>

#include <QTest>
#include <fstream>

#include "support/server_process.h"
#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

class DlgReAgreePopUpTest : public QtFrameTest {
protected:
    CDlgReAgreePopUp& Open() {
        dialog_ = std::make_unique<CDlgReAgreePopUp>(*frame_);
        dialog_->show();
        return *dialog_;
    }
    CImageButton* Button(int id) { return dialog_->findChild<CImageButton*>(QString::number(id)); }
    void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    int Stored(const char* key) { return profile_.GetProfileInt("USER\\hong", key, -7); }
    bool DeclineReported() {
        for (const auto& request : mapvale::testing::ReadRequestLog(world_.RequestLog())) {
            if (request.path.find("WMKChkTrainfo.mms") != std::string::npos &&
                request.Parameter("D2") == "F") {
                return true;
            }
        }
        return false;
    }
    void TearDown() override {
        dialog_.reset();
        QtFrameTest::TearDown();
    }
    std::unique_ptr<CDlgReAgreePopUp> dialog_;
};

TEST_F(DlgReAgreePopUpTest, ADeclineIsRecordedReportedAndOnlyThenConfirmable) {
    controller::CMainFrame& frame = StartedQtFrame();
    frame.state().settings.traffic_consent = 1;
    profile_.WriteProfileInt("USER\\hong", "TRAFFIC_LAST_ACK", 1);
    clock_.SetLocal(2024, 9, 14);
    CDlgReAgreePopUp& dialog = Open();
    EXPECT_EQ(dialog.Background(), 462);
    EXPECT_TRUE(Button(1050)->GetCheck());
    EXPECT_FALSE(Button(1054)->GetCheck());
    EXPECT_FALSE(Button(1)->isEnabled());
    QTest::keyClick(&dialog, Qt::Key_Return);  // OK is not there yet
    EXPECT_TRUE(dialog.isVisible());

    Click(1054);
    EXPECT_TRUE(Button(1054)->GetCheck());
    EXPECT_FALSE(Button(1050)->GetCheck());
    EXPECT_TRUE(Button(1)->isEnabled());
    EXPECT_EQ(Stored("TRAFFIC"), 0);
    EXPECT_EQ(Stored("TRAFFIC_LAST_ACK"), 0);
    EXPECT_EQ(profile_.GetProfileInt("USER\\hong\\TRA_NOTI_TIME\\", "DAY", 0), 14);
    EXPECT_TRUE(WaitFor([&] { return DeclineReported(); }));
    Click(1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DlgReAgreePopUpTest, WithoutAUserItSaysSoAndClosesAndClosingIsNoConfirmation) {
    controller::CMainFrame& frame = StartedQtFrame();
    {
        CDlgReAgreePopUp& dialog = Open();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    frame.state().settings.user_id.clear();
    CDlgReAgreePopUp& dialog = Open();
    QString caption;
    auto answer = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        Press(box, QStringLiteral("확인"));
    });
    Click(1050);
    EXPECT_EQ(caption, QStringLiteral("환경변수 오류"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(DlgReAgreePopUpTest, ASignInWithTheServiceOffShowsItOnceUntilConfirmed) {
    std::ofstream(world_.Accounts(), std::ios::app)
        << "\n[account eff]\npassword = pw\nletter = H\nname = 시험\nservice = F\n"
           "\n[vehicle]\nmodel = HX100\nproduct-line = HX-100\ncaption = 시험\nclass = AVN\n";
    Serve();
    StoreAutomaticSignIn("eff", "pw");
    int opened = 0;
    auto confirm = WhenModalOpens<CDlgReAgreePopUp>([&](CDlgReAgreePopUp* dialog) {
        ++opened;
        QTest::mouseClick(dialog->findChild<CImageButton*>(QStringLiteral("1054")), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<CImageButton*>(QStringLiteral("1")), Qt::LeftButton);
    });
    controller::CMainFrame& frame = MakeQtFrame();
    frame.OnCreate();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(profile_.GetProfileInt("USER\\eff", "TRAFFIC_ALREADY_POP", 0), 1);
    auto again = WhenModalOpens<CDlgReAgreePopUp>([&](CDlgReAgreePopUp* dialog) {
        ++opened;
        dialog->reject();
    });
    EXPECT_EQ(frame.RunSignIn("eff", "OV", "pw"), 1);
    EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace mapvale::ui::test
