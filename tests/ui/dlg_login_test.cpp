// The sign-in screen over a real controller against the served world.

#include "ui/dlg_login.h"

#include <gmock/gmock.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
};

// Answers every box that opens, in order, with the next of `answers` ("확인" once they run out),
// and keeps what each one said.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<QString> answers = {}) : answers_(std::move(answers)) {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box == last_) {
                return;
            }
            last_ = box;
            seen.push_back({box->text(), box->windowTitle(), box->icon()});
            const QString answer =
                next_ < answers_.size() ? answers_[next_++] : QStringLiteral("확인");
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == answer) {
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << answer.toStdString();
            box->reject();
        });
        timer_.start();
    }
    std::vector<SeenBox> seen;

private:
    QTimer timer_;
    std::vector<QString> answers_;
    std::size_t next_ = 0;
    QPointer<QMessageBox> last_;
};

class DlgLoginTest : public QtFrameTest {
protected:
    void SetUp() override {
        QtFrameTest::SetUp();
        std::ofstream(world_.Accounts(), std::ios::app)
            << "\n[account ghost]\npassword = pw\nletter = H\nname = 시험\nresult = 202 회원가입 "
               "아이디 없음\n";
    }

    // The program started and signed in by itself; then the sign-in screen opens again.
    CDlgLogin& Open(CDlgLogin::Mode mode = CDlgLogin::Mode::kChangeUser) {
        controller::CMainFrame& frame = StartedQtFrame();
        dialog_ = std::make_unique<CDlgLogin>(frame, mode);
        dialog_->SetDesktop([this](const std::string& target) { opened_.push_back(target); });
        dialog_->show();
        EXPECT_TRUE(WaitFor([&] { return Edit(1015)->isEnabled(); }));
        return *dialog_;
    }
    QLineEdit* Edit(int id) { return dialog_->findChild<QLineEdit*>(QString::number(id)); }
    CImageButton* Button(int id) { return dialog_->findChild<CImageButton*>(QString::number(id)); }
    void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    void Type(int id, const QString& text) {
        Edit(id)->clear();
        QTest::keyClicks(Edit(id), text);
    }
    app::AppSettings& Settings() { return frame_->state().settings; }
    void TearDown() override {
        dialog_.reset();
        QtFrameTest::TearDown();
    }

    std::unique_ptr<CDlgLogin> dialog_;
};

TEST_F(DlgLoginTest, TheStoredAccountSignsInByItselfWhileTheControlsWait) {
    Serve();
    StoreAutomaticSignIn();
    controller::CMainFrame& frame = MakeQtFrame();
    bool disabled_at_open = false;
    QString id_at_open;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    auto watch = WhenModalOpens<CDlgLogin>([&](CDlgLogin* dialog) {
        const auto* id = dialog->findChild<QLineEdit*>(QStringLiteral("1015"));
        disabled_at_open = !id->isEnabled();
        id_at_open = id->text();
        echo = dialog->findChild<QLineEdit*>(QStringLiteral("1016"))->echoMode();
    });
    frame.OnCreate();
    EXPECT_TRUE(disabled_at_open);
    EXPECT_EQ(id_at_open, QStringLiteral("hong"));
    EXPECT_EQ(echo, QLineEdit::Password);
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "hong");
    EXPECT_EQ(profile_.GetProfileInt("USER", "SAVE", -1), 1);
    EXPECT_EQ(profile_.GetProfileInt("USER", "AUTO", -1), 1);
    EXPECT_EQ(profile_.GetProfileString("USER", "Company"), "OV");
    EXPECT_EQ(profile_.GetProfileString("USER", "INFO"), app::ScrambleText("hong:1234"));
}

TEST_F(DlgLoginTest, ChangeUserModeOnlyGivesTheControlsBackAndBoxesAndBrandsCouple) {
    CDlgLogin& dialog = Open();
    EXPECT_EQ(dialog.SignInsStarted(), 0);
    EXPECT_EQ(Edit(1015)->maxLength(), 64);
    EXPECT_TRUE(Button(1046)->isEnabled());  // the typed id is the stored one
    EXPECT_TRUE(Button(1066)->DrawnPressed());

    Click(11);  // clearing "save" clears "automatic"
    EXPECT_FALSE(Button(12)->GetCheck());
    EXPECT_EQ(Settings().save, 0);
    EXPECT_EQ(Settings().auto_sign_in, 0);
    Click(12);  // ticking "automatic" ticks "save"
    EXPECT_TRUE(Button(11)->GetCheck());
    EXPECT_EQ(Settings().save, 1);
    EXPECT_EQ(Settings().auto_sign_in, 1);

    Click(1067);  // another brand: nothing of the stored account
    EXPECT_EQ(dialog.Brand(), QStringLiteral("DL"));
    EXPECT_TRUE(Button(1067)->DrawnPressed());
    EXPECT_FALSE(Button(1066)->DrawnPressed());
    EXPECT_TRUE(Edit(1015)->text().isEmpty());
    EXPECT_TRUE(Edit(1016)->text().isEmpty());
    EXPECT_FALSE(Button(11)->GetCheck() || Button(12)->GetCheck());
    EXPECT_FALSE(Button(1046)->isEnabled());
    Click(1066);  // back to the stored brand: restored
    EXPECT_EQ(Edit(1015)->text(), QStringLiteral("hong"));
    EXPECT_EQ(Edit(1016)->text(), QStringLiteral("1234"));
    EXPECT_TRUE(Button(11)->GetCheck() && Button(12)->GetCheck());
    Type(1015, QStringLiteral("hon"));
    EXPECT_FALSE(Button(1046)->isEnabled());
    QTest::keyClick(Edit(1015), Qt::Key_G);
    EXPECT_TRUE(Button(1046)->isEnabled());
}

TEST_F(DlgLoginTest, EmptyFieldsAreNamedAndStillStored) {
    CDlgLogin& dialog = Open();
    BoxAnswerer boxes;
    Type(1015, "");
    Click(1017);
    EXPECT_EQ(Settings().user_id, "");
    EXPECT_EQ(profile_.GetProfileString("USER", "ID", "x"), "");
    Type(1015, QStringLiteral("kim"));
    Type(1016, "");
    Click(1017);
    EXPECT_EQ(profile_.GetProfileString("USER", "ID"), "kim");
    Type(1015, "");
    Click(1017);
    Click(1068);  // with the find panel open, both empty says nothing
    QTest::keyClick(&dialog, Qt::Key_Return);
    ASSERT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("아이디를 입력해 주세요."));
    EXPECT_EQ(boxes.seen[1].text, QStringLiteral("비밀번호를 입력해 주세요."));
    EXPECT_EQ(boxes.seen[2].text, QStringLiteral("아이디와 비밀번호를 입력해 주세요."));
    for (const SeenBox& box : boxes.seen) {
        EXPECT_EQ(box.caption, QStringLiteral("로그인 실패"));
    }
    EXPECT_EQ(dialog.SignInsStarted(), 0);
}

TEST_F(DlgLoginTest, RefusalsAreShownAsWarningsAndAnUnknownIdForgetsTheSaveChoice) {
    CDlgLogin& dialog = Open();
    BoxAnswerer boxes;
    Type(1016, QStringLiteral("wrong"));
    Click(1017);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("비밀번호가 일치하지 않습니다."));
    EXPECT_EQ(boxes.seen[0].caption, QStringLiteral("로그인 실패"));
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(Edit(1015)->text(), QStringLiteral("hong"));
    EXPECT_EQ(Edit(1016)->text(), QStringLiteral("wrong"));
    EXPECT_TRUE(Edit(1015)->isEnabled());
    EXPECT_TRUE(dialog.isVisible());

    Type(1015, QStringLiteral("ghost"));
    Type(1016, QStringLiteral("pw"));
    Click(1017);
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1].text, QStringLiteral("아이디 또는 비밀번호 오류입니다."));
    EXPECT_FALSE(Button(11)->GetCheck());
    EXPECT_EQ(Settings().save, 0);
    EXPECT_EQ(dialog.result(), 0);

    // Server text is never markup.
    EXPECT_EQ(boxes.seen[1].text.contains('<'), false);
}

TEST_F(DlgLoginTest, WhileASignInRunsNothingElseStartsAndCancelOnlyExplains) {
    CDlgLogin& dialog = Open();
    BoxAnswerer boxes;
    bool busy_seen = false;
    QTimer::singleShot(0, &dialog, [&] {
        busy_seen = dialog.Busy();
        Click(1017);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
    });
    Click(1017);
    EXPECT_TRUE(busy_seen);
    EXPECT_EQ(dialog.SignInsStarted(), 1);
    ASSERT_EQ(boxes.seen.size(), 2u);  // Escape and the close: the notice each time
    EXPECT_EQ(boxes.seen[0].text,
              QStringLiteral("서버에서 차종 정보를 수집하는 중입니다. 잠시 후 시도해 주세요"));
    EXPECT_EQ(boxes.seen[0].caption, QStringLiteral("Orvin Dalmar Waymark+ 알림"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);  // the one sign-in went through
}

TEST_F(DlgLoginTest, CancelWhenIdleAsksAndOnlyYesEnds) {
    CDlgLogin& dialog = Open();
    {
        BoxAnswerer boxes({QStringLiteral("아니오")});
        Click(2);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text,
                  QStringLiteral("프로그램이 종료됩니다.\n\n종료하시겠습니까?"));
        EXPECT_EQ(boxes.seen[0].caption, QStringLiteral("종료 확인"));
        EXPECT_TRUE(dialog.isVisible());
    }
    BoxAnswerer boxes({QStringLiteral("예")});
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.SignInsStarted(), 0);
}

TEST_F(DlgLoginTest, TheFindPanelOpensTheConfiguredPageOfTheSelectedBrandOnly) {
    CDlgLogin& dialog = Open();
    Click(1068);
    EXPECT_TRUE(dialog.FindPanelShown());
    EXPECT_EQ(dialog.Background(), 474);
    EXPECT_FALSE(Edit(1015)->isVisible());
    EXPECT_TRUE(Button(1068)->DrawnPressed());
    EXPECT_TRUE(Button(1072)->GetCheck());
    Click(1073);
    EXPECT_FALSE(Button(1072)->GetCheck());
    EXPECT_TRUE(Button(1073)->GetCheck());

    BoxAnswerer boxes;
    Click(15);  // the brand selected is OV
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QStringLiteral("아이디/패스워드 찾기중 한가지를 선택해주세요"));
    EXPECT_TRUE(opened_.empty());
    Click(14);
    Click(13);
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_THAT(opened_[0], ::testing::StartsWith("http://"));
    EXPECT_THAT(opened_[0], ::testing::EndsWith("/pages/find-password-ov.html"));
    EXPECT_THAT(opened_[1], ::testing::EndsWith("/pages/orla-home.html"));

    Click(1066);  // a brand goes back to the login fields
    EXPECT_FALSE(dialog.FindPanelShown());
    EXPECT_EQ(dialog.Background(), 397);
}

TEST_F(DlgLoginTest, TheInstallersFirstRunForgetsTheAccountAndSettlesTheFolder) {
    Serve();
    StoreAutomaticSignIn();
    const std::string chain = box_.Path("new") + "/deep/folder/";
    profile_.WriteProfileString("PATH", "DATA", chain);
    controller::CMainFrame& frame = MakeQtFrame({"-TRAINFO_AGREE"});
    QString id_at_open = QStringLiteral("unset");
    std::unique_ptr<BoxAnswerer> boxes;
    auto watch = WhenModalOpens<CDlgLogin>([&](CDlgLogin* dialog) {
        auto* id = dialog->findChild<QLineEdit*>(QStringLiteral("1015"));
        id_at_open = id->text();
        boxes = std::make_unique<BoxAnswerer>(std::vector<QString>{QStringLiteral("예")});
        id->setText(QStringLiteral("hong"));
        dialog->findChild<QLineEdit*>(QStringLiteral("1016"))->setText(QStringLiteral("1234"));
        QTest::mouseClick(dialog->findChild<CImageButton*>(QStringLiteral("1017")), Qt::LeftButton);
    });
    frame.OnCreate();
    EXPECT_EQ(id_at_open, QString());
    ASSERT_TRUE(boxes);
    ASSERT_GE(boxes->seen.size(), 1u);
    EXPECT_EQ(boxes->seen[0].caption,
              QStringLiteral("Orvin Dalmar WaymarkPlus 다운로드 경로 확인"));
    EXPECT_TRUE(boxes->seen[0].text.contains(QString::fromStdString(chain)));
    EXPECT_TRUE(std::filesystem::is_directory(chain));
    EXPECT_EQ(profile_.GetProfileString("USER", "ID", "x"), "");
    EXPECT_EQ(profile_.GetProfileInt("USER", "SAVE", -1), 0);
    EXPECT_EQ(profile_.GetProfileInt("USER", "AUTO", -1), 0);
    EXPECT_EQ(profile_.GetProfileString("PATH", "DATA"), chain);
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
}

TEST_F(DlgLoginTest, TheInstallersFirstRunStoresTheChosenFolderWhenTheOfferedOneIsRefused) {
    Serve();
    const std::string offered = box_.Path("offered") + "/data/";
    const std::string picked = box_.Path("picked");
    std::filesystem::create_directories(picked);
    profile_.WriteProfileString("PATH", "DATA", offered);
    controller::CMainFrame& frame = MakeQtFrame({"-TRAINFO_AGREE"});
    std::unique_ptr<BoxAnswerer> boxes;
    auto choose = WhenModalOpens<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(QString::fromStdString(picked));
        dialog->selectFile(QString::fromStdString(picked));
        static_cast<QDialog*>(dialog)->accept();
    });
    auto sign_in = WhenModalOpens<CDlgLogin>([&](CDlgLogin* dialog) {
        boxes = std::make_unique<BoxAnswerer>(std::vector<QString>{QStringLiteral("아니오")});
        dialog->findChild<QLineEdit*>(QStringLiteral("1015"))->setText(QStringLiteral("hong"));
        dialog->findChild<QLineEdit*>(QStringLiteral("1016"))->setText(QStringLiteral("1234"));
        QTest::mouseClick(dialog->findChild<CImageButton*>(QStringLiteral("1017")), Qt::LeftButton);
    });
    frame.OnCreate();
    ASSERT_TRUE(boxes);
    ASSERT_GE(boxes->seen.size(), 1u);
    EXPECT_TRUE(boxes->seen[0].text.contains(QString::fromStdString(offered)));
    // The refused folder is not made; the chosen one is stored as a folder.
    EXPECT_FALSE(std::filesystem::exists(offered));
    EXPECT_EQ(profile_.GetProfileString("PATH", "DATA"), picked + "/");
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
}

}  // namespace
}  // namespace mapvale::ui::test
