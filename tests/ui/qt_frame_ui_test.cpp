#include "ui/qt_frame_ui.h"

#include <gmock/gmock.h>

#include <QFileDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "controller/controller_texts.h"
#include "model/messages.h"
#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/skin/message_box.h"
#include "ui/wait_for.h"

namespace mapvale::ui::test {
namespace {

using controller::Answer;
using controller::Buttons;
using controller::Icon;
using controller::Owner;
using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

// A screen with one button that runs `act` with the frame, from the button's own signal.
class ButtonScreen : public ScreenWindow {
public:
    ButtonScreen(controller::CMainFrame& frame, std::function<void(ButtonScreen&)> act)
        : ScreenWindow(frame, 0), act_(std::move(act)) {
        resize(640, 480);
        button = AddButton(1017, 333, 4, 100, 100);
    }
    CImageButton* button = nullptr;

protected:
    void OnCommand(int id) override {
        if (id == 1017) {
            act_(*this);
        }
    }

private:
    std::function<void(ButtonScreen&)> act_;
};

TEST_F(QtFrameTest, TheFirstScreenIsCentredAndTitledAndTheNextTakesItsPlace) {
    controller::CMainFrame& frame = StartedQtFrame();
    QPointer<ScreenWindow> options = qt_ui_->WizardScreen(controller::kScreenOptions);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->isVisible());
    EXPECT_EQ(options->windowTitle(), QStringLiteral("TSKN_Waymark+"));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((options->geometry().center() - available.center()).manhattanLength(), 1);

    options->move(40, 30);
    const QRect place = options->geometry();
    frame.ShowScreen(controller::kScreenCountdown);
    ScreenWindow* countdown = qt_ui_->WizardScreen(controller::kScreenCountdown);
    ASSERT_NE(countdown, nullptr);
    EXPECT_EQ(countdown->geometry(), place);
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), countdown);
    // The replaced screen is gone from sight at once and from memory soon after.
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(WaitFor([&] { return options.isNull(); }));

    // A screen replaced by a new one of the same number: the new one stays.
    frame.ShowScreen(controller::kScreenCountdown);
    ScreenWindow* again = qt_ui_->WizardScreen(controller::kScreenCountdown);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, countdown);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), again);

    frame.ShowScreen(0);
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return qt_ui_->RetiredCount() == 0; }));
    EXPECT_FALSE(qt_ui_->CreateWizardScreen(5, std::nullopt));
}

TEST_F(QtFrameTest, AScreenMayReplaceItselfFromItsOwnButton) {
    registry_.Register(controller::kScreenOptions, [](controller::CMainFrame& frame) {
        return new ButtonScreen(frame, [](ButtonScreen& screen) {
            screen.frame().ShowScreen(controller::kScreenCountdown);
        });
    });
    StartedQtFrame();
    QPointer<ScreenWindow> options = qt_ui_->WizardScreen(controller::kScreenOptions);
    ASSERT_TRUE(options);
    QTest::mouseClick(static_cast<ButtonScreen*>(options.data())->button, Qt::LeftButton, {},
                      QPoint(3, 3));
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenCountdown), nullptr);
    EXPECT_TRUE(WaitFor([&] { return options.isNull(); }));
}

TEST_F(QtFrameTest, AJobErrorWhileAScreensOwnBoxIsOpenRetiresTheScreenOnlyAfterTheBox) {
    QPointer<QMessageBox> own_box;
    registry_.Register(controller::kScreenProgress, [&own_box](controller::CMainFrame& frame) {
        return new ButtonScreen(frame, [&own_box](ButtonScreen& screen) {
            std::unique_ptr<QMessageBox> box = BuildMessageBox(
                &screen, QStringLiteral("진행 화면의 질문"), QString(), MessageBoxButtons::kOk,
                MessageBoxIcon::kNone, QtFrameUi::kProgramTitle);
            own_box = box.get();
            box->exec();
        });
    });
    controller::CMainFrame& frame = StartedQtFrame();
    frame.ShowScreen(controller::kScreenProgress);
    QPointer<ScreenWindow> progress = qt_ui_->WizardScreen(controller::kScreenProgress);
    ASSERT_TRUE(progress);

    bool error_shown = false;
    std::unique_ptr<QTimer> answer_error;
    std::unique_ptr<QTimer> close_own;
    auto post_error = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        ASSERT_EQ(box, own_box.data());
        // The job fails while the screen's own question is open.
        pump_.Post(kMsgJobError, 1, 0);
        answer_error = WhenModalOpens<QMessageBox>([&](QMessageBox* error) {
            if (error == own_box.data()) {
                return;
            }
            error_shown = true;
            error->button(QMessageBox::Ok) ? error->button(QMessageBox::Ok)->click()
                                           : error->buttons().front()->click();
            close_own = WhenModalOpens<QMessageBox>([&](QMessageBox* last) {
                // The controller went back to the option screen; the progress screen waits,
                // hidden, until its own box is closed.
                EXPECT_TRUE(progress);
                EXPECT_FALSE(progress->isVisible());
                EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
                last->buttons().front()->click();
            });
        });
    });
    QTest::mouseClick(static_cast<ButtonScreen*>(progress.data())->button, Qt::LeftButton, {},
                      QPoint(3, 3));
    EXPECT_TRUE(error_shown);
    EXPECT_TRUE(WaitFor([&] { return progress.isNull(); }));
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
}

TEST_F(QtFrameTest, MessagesWaitWhileTheCloseQuestionIsOpenAndNoKeepsTheProgramRunning) {
    controller::CMainFrame& frame = StartedQtFrame();
    pump_.DeliverAll();
    handled_.clear();
    bool drive_seen_before_answer = false;
    QString text, title;
    auto answer = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        title = box->windowTitle();
        pump_.Post(kMsgDriveChange, 'K' | 0x10000, 0);
        pump_.Post(kMsgDriveChange, 'L' | 0x20000, 0);
        QCoreApplication::processEvents();
        for (const platform::Message& message : handled_) {
            drive_seen_before_answer |= message.message == kMsgDriveChange;
        }
        Press(box, QStringLiteral("아니오"));
    });
    pump_.Post(kWmClose, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return handled_.size() >= 3; }));
    EXPECT_EQ(text, QString::fromUtf8(controller::kTextAskClose.data(),
                                      static_cast<qsizetype>(controller::kTextAskClose.size())));
    EXPECT_EQ(title, QStringLiteral("종료 확인"));
    EXPECT_FALSE(drive_seen_before_answer);
    EXPECT_EQ(handled_[0].message, kWmClose);
    EXPECT_EQ(handled_[1].message, kMsgDriveChange);
    EXPECT_EQ(handled_[2].w_param, static_cast<platform::WParam>('L' | 0x20000));
    EXPECT_FALSE(frame.closed());
    EXPECT_NE(qt_ui_->WizardScreen(controller::kScreenOptions), nullptr);
}

TEST_F(QtFrameTest, YesToTheCloseQuestionEndsWithTheSettingsWritten) {
    controller::CMainFrame& frame = StartedQtFrame();
    profile_.WriteProfileString("USER", "ID", "someone-else");
    auto answer =
        WhenModalOpens<QMessageBox>([](QMessageBox* box) { Press(box, QStringLiteral("예")); });
    pump_.Post(kWmClose, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return frame.closed(); }));
    frame.Destroy();
    EXPECT_EQ(profile_.GetProfileString("USER", "ID", ""), "hong");
}

TEST_F(QtFrameTest, BoxesShowTheirCaptionOrTheProgramTitleOverTheirOwner) {
    StartedQtFrame();
    ScreenWindow* options = qt_ui_->WizardScreen(controller::kScreenOptions);
    struct Seen {
        QString title;
        QWidget* parent = nullptr;
        QString text;
    } seen;
    auto look = [&seen](const QString& press) {
        return WhenModalOpens<QMessageBox>([&seen, press](QMessageBox* box) {
            seen = {box->windowTitle(), box->parentWidget(), box->text()};
            Press(box, press);
        });
    };
    {
        auto watch = look(QStringLiteral("확인"));
        EXPECT_EQ(qt_ui_->MessageBox("<b>plain</b>\n두 줄", "", Buttons::kOk, Icon::kWarning,
                                     Owner::kCurrentScreen),
                  Answer::kOk);
    }
    EXPECT_EQ(seen.title, QStringLiteral("TSKN_Waymark+"));
    EXPECT_EQ(seen.parent, options);
    EXPECT_EQ(seen.text, QStringLiteral("<b>plain</b>\n두 줄"));
    {
        auto watch = look(QStringLiteral("아니오"));
        EXPECT_EQ(
            qt_ui_->MessageBox("?", "알림", Buttons::kYesNoCancel, Icon::kQuestion, Owner::kNone),
            Answer::kNo);
    }
    EXPECT_EQ(seen.title, QStringLiteral("알림"));
    EXPECT_EQ(seen.parent, nullptr);
    {
        // No main screen: its boxes have no owner rather than a wrong one.
        auto watch = look(QStringLiteral("취소"));
        EXPECT_EQ(
            qt_ui_->MessageBox("?", "알림", Buttons::kYesNoCancel, Icon::kNone, Owner::kMainScreen),
            Answer::kCancel);
    }
    EXPECT_EQ(seen.parent, nullptr);
}

TEST_F(QtFrameTest, TheFolderChooserAndTheDesktop) {
    StartedQtFrame();
    const std::string folder = box_.Path("chosen");
    std::filesystem::create_directories(folder);
    {
        auto choose = WhenModalOpens<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("디렉토리를 선택하세요"));
            dialog->setDirectory(QString::fromStdString(folder));
            dialog->selectFile(QString::fromStdString(folder));
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::optional<std::string> chosen =
            qt_ui_->ChooseFolder(box_.Path(), "디렉토리를 선택하세요");
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(std::filesystem::path(*chosen), std::filesystem::path(folder));
    }
    {
        auto cancel = WhenModalOpens<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        EXPECT_FALSE(qt_ui_->ChooseFolder(box_.Path(), "디렉토리를 선택하세요").has_value());
    }
    qt_ui_->OpenWithDesktop("/data/맵/");
    qt_ui_->StartProgram("/data/Tarno_PC설치.exe");
    EXPECT_THAT(opened_, ::testing::ElementsAre("/data/맵/"));
    EXPECT_THAT(started_, ::testing::ElementsAre("/data/Tarno_PC설치.exe"));
}

TEST_F(QtFrameTest, WhenEndingOpenBoxesCloseAsCancelledAndLaterOnesAnswerAtOnce) {
    StartedQtFrame();
    auto end = WhenModalOpens<QMessageBox>([this](QMessageBox*) { qt_ui_->BeginEnding(); });
    EXPECT_EQ(qt_ui_->MessageBox("?", "종료 확인", Buttons::kYesNo, Icon::kQuestion,
                                 Owner::kCurrentScreen),
              Answer::kNo);
    EXPECT_EQ(qt_ui_->MessageBox("!", "", Buttons::kOk, Icon::kNone, Owner::kNone), Answer::kOk);
    EXPECT_FALSE(qt_ui_->ChooseFolder(box_.Path(), "x").has_value());
}

}  // namespace
}  // namespace mapvale::ui::test
