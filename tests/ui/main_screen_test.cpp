// The main screen and its install page on real widgets over a controller signed in to the
// served world, with virtual cards: places, window behaviour, tabs, the change of user, the card
// options, and the start button's questions.

#include <gmock/gmock.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include "controller/controller_texts.h"
#include "model/messages.h"
#include "ui/dlg_env.h"
#include "ui/dlg_install.h"
#include "ui/dlg_login.h"
#include "ui/dlg_main.h"
#include "ui/list_class.h"
#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/skin/user_info.h"
#include "ui/wait_for.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class MainScreenTest : public QtFrameTest {
protected:
    void SetUp() override {
        QtFrameTest::SetUp();
        registry_ = ScreenRegistry::Standard();
    }
    void TearDown() override {
        QtFrameTest::TearDown();
        SetWebEnvironment({});
    }

    // Signed in (hong), the wizard left for the main screen.
    CDlgMain* MainScreen(const std::vector<std::string>& serve = {}) {
        Serve(serve);
        StoreAutomaticSignIn();
        controller::CMainFrame& frame = MakeQtFrame();
        frame.OnCreate();
        pump_.DeliverAll();
        frame.ToggleMainScreen(true);
        return qobject_cast<CDlgMain*>(qt_ui_->MainScreen());
    }

    int RowOf(const std::string& model) {
        int row = 0;
        for (const DeviceEntry& device : frame_->state().devices) {
            if (device.model_name == model) {
                return row;
            }
            ++row;
        }
        ADD_FAILURE() << "no unit " << model;
        return -1;
    }
    // The direct children of the page area that show.
    static int ShownPages(CDlgMain* screen) {
        int shown = 0;
        for (QWidget* page : Find<QWidget>(screen, CDlgMain::kPages)
                                 ->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            shown += page->isHidden() ? 0 : 1;
        }
        return shown;
    }
    // Answers the next message box with the button labelled `label`, noting its caption.
    auto Answer(const QString& label, QString* caption, QString* text = nullptr) {
        return WhenModalOpens<QMessageBox>([label, caption, text](QMessageBox* box) {
            *caption = box->windowTitle();
            if (text != nullptr) {
                *text = box->text();
            }
            Press(box, label);
        });
    }
};

TEST_F(MainScreenTest, PlacesSizeMaximiseAndTabs) {
    CDlgMain* screen = MainScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->size(), QSize(800, 600));
    EXPECT_TRUE(screen->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Orvin Dalmar Waymark+"));
    const struct {
        int id;
        QPoint place;
    } buttons[] = {{CDlgMain::kClose, {767, 15}},      {CDlgMain::kMinimise, {719, 15}},
                   {CDlgMain::kMaximise, {743, 15}},   {CDlgMain::kInstallTab, {8, 44}},
                   {CDlgMain::kMapTab, {124, 44}},     {CDlgMain::kSettings, {649, 15}},
                   {CDlgMain::kChangeUser, {585, 15}}, {CDlgMain::kWizard, {676, 46}}};
    for (const auto& [id, place] : buttons) {
        const QWidget* control = Find<QWidget>(screen, id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->pos(), place) << id;
    }
    EXPECT_EQ(Find<QWidget>(screen, CDlgMain::kWelcome)->geometry(), QRect(370, 17, 183, 24));
    EXPECT_EQ(Find<QWidget>(screen, CDlgMain::kStatus)->geometry(), QRect(8, 542, 785, 51));
    // Tabs 8 and 12 follow the first two along the row.
    EXPECT_EQ(Find<QWidget>(screen, CDlgMain::kEtcTab)->y(), 44);
    EXPECT_GT(Find<QWidget>(screen, CDlgMain::kTarnoTab)->x(),
              Find<QWidget>(screen, CDlgMain::kEtcTab)->x());
    EXPECT_EQ(Find<CUserInfo>(screen, CDlgMain::kWelcome)->Text(),
              QStringLiteral("홍길동님, 환영합니다."));
    // The strip follows the unit's state from the start.
    ASSERT_TRUE(screen->Strip().has_value());
    EXPECT_EQ(screen->Strip()->text, "단말기를 선택해 주세요.");

    // Never smaller than it started.
    screen->resize(640, 480);
    EXPECT_EQ(screen->size(), QSize(800, 600));

    // The bottom-right 12 x 12 square resizes it.
    const auto drag = [&](QPoint from, QPoint by) {
        const QPoint global = screen->mapToGlobal(from);
        QMouseEvent press(QEvent::MouseButtonPress, from, global, Qt::LeftButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(screen, &press);
        QMouseEvent move(QEvent::MouseMove, from + by, global + by, Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(screen, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, from + by, global + by, Qt::LeftButton,
                            Qt::NoButton, {});
        QApplication::sendEvent(screen, &release);
    };
    drag(QPoint(794, 594), QPoint(40, 30));
    EXPECT_EQ(screen->size(), QSize(840, 630));
    drag(QPoint(780, 580), QPoint(40, 30));  // outside the square: no resize
    EXPECT_EQ(screen->size(), QSize(840, 630));
    screen->resize(800, 600);

    // A double click below the caption band does nothing; in it, it maximises over the work area
    // and one pixel more, with the restore picture; again, the rectangle comes back.
    screen->move(40, 30);
    const QRect before = screen->geometry();
    QTest::mouseDClick(screen, Qt::LeftButton, {}, QPoint(300, 60));
    EXPECT_FALSE(screen->Maximised());
    EXPECT_EQ(screen->geometry(), before);
    QTest::mouseDClick(screen, Qt::LeftButton, {}, QPoint(300, 20));
    ASSERT_TRUE(screen->Maximised());
    EXPECT_EQ(screen->geometry(), screen->screen()->availableGeometry().adjusted(-1, -1, 1, 1));
    CImageButton* maximise = Find<CImageButton>(screen, CDlgMain::kMaximise);
    // A button of the picture drawn beside it looks the same.
    const auto shows = [&](int image) {
        CImageButton reference(0, screen);
        reference.SetImage(4, image);
        reference.move(maximise->pos());
        return reference.grab().toImage() == maximise->grab().toImage();
    };
    EXPECT_TRUE(shows(CDlgMain::kRestoreImage));
    // Maximised, the corner does not resize.
    const QRect maximised = screen->geometry();
    drag(QPoint(maximised.width() - 6, maximised.height() - 6), QPoint(-40, -30));
    EXPECT_EQ(screen->geometry(), maximised);
    // The controls that keep to the right edge went with it; the strip stretches at the bottom.
    EXPECT_EQ(Find<QWidget>(screen, CDlgMain::kClose)->x(), 767 + screen->width() - 800);
    EXPECT_EQ(Find<QWidget>(screen, CDlgMain::kStatus)->geometry().bottom(),
              screen->height() - 600 + 592);
    Click(screen, CDlgMain::kMaximise);
    EXPECT_FALSE(screen->Maximised());
    EXPECT_EQ(screen->geometry(), before);
    EXPECT_TRUE(shows(CDlgMain::kMaximiseImage));

    // Enter does not close the screen.
    QTest::keyClick(screen, Qt::Key_Return);
    pump_.DeliverAll();
    EXPECT_TRUE(frame_->state().main_screen);
    EXPECT_TRUE(screen->isVisible());

    // One page per tab, the install page first.
    EXPECT_EQ(screen->ShownPage(), screen->InstallPage());
    const struct {
        int tab;
        const char* page;
    } tabs[] = {{CDlgMain::kMapTab, "322"},
                {CDlgMain::kEtcTab, "323"},
                {CDlgMain::kTarnoTab, "468"},
                {CDlgMain::kInstallTab, "321"}};
    for (const auto& [tab, page] : tabs) {
        Click(screen, tab);
        ASSERT_NE(screen->ShownPage(), nullptr);
        EXPECT_EQ(screen->ShownPage()->objectName(), QString::fromLatin1(page)) << tab;
        EXPECT_EQ(ShownPages(screen), 1) << tab;
        EXPECT_TRUE(Find<CImageButton>(screen, tab)->DrawnPressed());
    }

    // 9 opens the settings over the screen.
    bool settings_shown = false;
    {
        auto watch = WhenModalOpens<CDlgEnv>([&](CDlgEnv* dialog) {
            settings_shown = dialog->parentWidget() == screen;
            dialog->reject();
        });
        Click(screen, CDlgMain::kSettings);
    }
    EXPECT_TRUE(settings_shown);

    // 2 asks the controller to close the program: its question, and No keeps it.
    QString caption;
    {
        auto watch = Answer(QStringLiteral("아니오"), &caption);
        Click(screen, CDlgMain::kClose);
        ASSERT_TRUE(WaitFor([&] { return !caption.isEmpty(); }));
    }
    EXPECT_EQ(caption, Text(controller::kCaptionAskClose));
    EXPECT_FALSE(frame_->closed());
}

TEST_F(MainScreenTest, OptionsOptionPageChangeUserAndProductSite) {
    InsertCard('E', "1G");
    CDlgMain* screen = MainScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(WaitFor([&] { return frame_->state().drives.size() == 1; }));
    CDlgInstall* page = screen->InstallPage();
    const struct {
        int id;
        QRect place;
    } controls[] = {
        {CDlgInstall::kDeviceBox, {10, 8, 280, 22}},    {CDlgInstall::kDriveBox, {300, 8, 280, 22}},
        {CDlgInstall::kList, {10, 152, 765, 258}},      {CDlgInstall::kStart, {675, 418, 100, 34}},
        {CDlgInstall::kOptionPage, {116, 72, 420, 70}}, {CDlgInstall::kBanner, {546, 72, 229, 70}},
    };
    for (const auto& [id, place] : controls) {
        const QWidget* control = Find<QWidget>(page, id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), place) << id;
    }
    EXPECT_EQ(page->parentWidget()->geometry(), QRect(8, 78, 785, 460));
    QStringList drives;
    const auto* drive_box = Find<QComboBox>(page, CDlgInstall::kDriveBox);
    for (int i = 0; i < drive_box->count(); ++i) {
        drives << drive_box->itemText(i);
    }
    EXPECT_EQ(drives.size(), 2);
    EXPECT_EQ(drives.last(), QStringLiteral("[하드 디스크에만 다운로드]"));

    // Without a unit the options stay as they are.
    frame_->SelectDevice(nullptr);
    page->RefreshLists();
    EXPECT_FALSE(Find<CImageButton>(page, CDlgInstall::kFormat)->isEnabled());
    EXPECT_TRUE(page->OptionPageAddress().endsWith(
        QStringLiteral("/orla/Waymark/InstallInfoPlus/Opt_Basic.html")));

    // Format off takes the backup with it and disables it; on again lets it be chosen.
    Choose(page, CDlgInstall::kDeviceBox, RowOf("HX100"));
    DeviceEntry& hx = *frame_->state().selected_device;
    ASSERT_EQ(hx.model_name, "HX100");
    Choose(page, CDlgInstall::kDriveBox, 0);
    EXPECT_EQ(frame_->state().selected_drive, 'E');
    hx.format_option = 1;
    hx.backup_option = 1;
    page->RefreshOptions();
    Click(page, CDlgInstall::kFormat);
    EXPECT_EQ(hx.format_option, 0);
    EXPECT_EQ(hx.backup_option, 0);
    EXPECT_FALSE(Find<CImageButton>(page, CDlgInstall::kBackup)->GetCheck());
    EXPECT_FALSE(Find<CImageButton>(page, CDlgInstall::kBackup)->isEnabled());
    Click(page, CDlgInstall::kFormat);
    EXPECT_EQ(hx.backup_option, 1);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgInstall::kBackup)->isEnabled());
    // A package without deep-colour theme files keeps normal colours, and the box says so.
    Click(page, CDlgInstall::kDeepColour);
    EXPECT_EQ(hx.colour, 1);
    EXPECT_FALSE(Find<CImageButton>(page, CDlgInstall::kDeepColour)->GetCheck());

    // A TARNO unit of sub-kind 1 with type 2 reads the LOW page, which the world serves.
    Choose(page, CDlgInstall::kDeviceBox, RowOf("HT300"));
    DeviceEntry& ht = *frame_->state().selected_device;
    ASSERT_EQ(ht.model_name, "HT300");
    ht.sub_kind = 1;
    Click(page, CDlgInstall::kType2G);
    EXPECT_EQ(ht.install_type, 2);
    EXPECT_EQ(Find<CImageButton>(page, CDlgInstall::kType2G)->GetCheck(), true);
    EXPECT_TRUE(page->OptionPageAddress().endsWith(
        QStringLiteral("/tarno/Waymark/InstallInfoPlus/Opt_SD2G_LOW.html")));
    CWeb* option_page = Find<CWeb>(page, CDlgInstall::kOptionPage);
    EXPECT_TRUE(WaitFor(
        [&] { return option_page->title() == QStringLiteral("tarno Opt_SD2G_LOW.html"); }, 30000))
        << option_page->title().toStdString();

    // Unit management opens the product site of the [Pages] section.
    Click(page, CDlgInstall::kProductSite);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_THAT(opened_.front(), ::testing::EndsWith("/pages/product-site.html"));

    // Change of user from another tab: the account signs in again; the selection is gone, the
    // install page is back with its lists, the welcome line is set again, the settings are
    // written.
    Click(screen, CDlgMain::kEtcTab);
    Find<CUserInfo>(screen, CDlgMain::kWelcome)->SetText(QString());
    frame_->state().settings.big = 2;
    ASSERT_NE(profile_.GetProfileInt("USER", "BIG", 0), 2);
    bool open_while_asked = false;
    screen->RefreshStatus();
    const std::string strip_before = screen->Strip()->text;
    ASSERT_NE(strip_before, "단말기를 선택해 주세요.");
    std::string strip_while_asked;
    {
        auto sign_in = WhenModalOpens<CDlgLogin>([&](CDlgLogin* dialog) {
            open_while_asked = frame_->state().sign_in_dialog_open;
            // The strip keeps what it showed while the sign-in dialog is open.
            frame_->state().selected_device = nullptr;
            screen->RefreshStatus();
            strip_while_asked = screen->Strip()->text;
            const auto* id = dialog->findChild<QLineEdit*>(QStringLiteral("1015"));
            EXPECT_TRUE(WaitFor([&] { return id->isEnabled(); }));
            Click(dialog, 1017);
        });
        Click(screen, CDlgMain::kChangeUser);
    }
    EXPECT_TRUE(open_while_asked);
    EXPECT_EQ(strip_while_asked, strip_before);
    EXPECT_FALSE(frame_->state().sign_in_dialog_open);
    EXPECT_EQ(frame_->state().selected_device, nullptr);
    screen->RefreshStatus();
    EXPECT_EQ(screen->Strip()->text, "단말기를 선택해 주세요.");
    EXPECT_EQ(screen->ShownPage(), page);
    EXPECT_TRUE(Find<CImageButton>(screen, CDlgMain::kInstallTab)->DrawnPressed());
    EXPECT_EQ(Find<QComboBox>(page, CDlgInstall::kDeviceBox)->currentIndex(), -1);
    EXPECT_EQ(Find<CUserInfo>(screen, CDlgMain::kWelcome)->Text(),
              QStringLiteral("홍길동님, 환영합니다."));
    EXPECT_EQ(profile_.GetProfileInt("USER", "BIG", 0), 2);
}

TEST_F(MainScreenTest, TheHardDiskRowAsksAndYesRunsADownloadOnlyJob) {
    InsertCard('E', "1G");
    CDlgMain* screen = MainScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(WaitFor([&] { return frame_->state().drives.size() == 1; }));
    CDlgInstall* page = screen->InstallPage();
    Choose(page, CDlgInstall::kDeviceBox, RowOf("HX100"));
    DeviceEntry& device = *frame_->state().selected_device;
    device.notify_url.clear();  // the notice before a job has its own tests
    Choose(page, CDlgInstall::kDriveBox, 1);
    EXPECT_EQ(frame_->state().selected_drive, 0);

    // No: nothing starts, the button is back.
    QString caption;
    {
        auto watch = Answer(QStringLiteral("아니오"), &caption);
        Click(page, CDlgInstall::kStart);
    }
    EXPECT_EQ(caption, Text(controller::kCaptionNoCardSelected));
    EXPECT_EQ(frame_->state().job_running, 0);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgInstall::kStart)->isEnabled());

    // Yes: a job without a card, the stop picture on an enabled button, then the end.
    caption.clear();
    {
        auto watch = Answer(QStringLiteral("예"), &caption);
        Click(page, CDlgInstall::kStart);
    }
    EXPECT_EQ(caption, Text(controller::kCaptionNoCardSelected));
    ASSERT_EQ(frame_->state().job_running, 1);
    EXPECT_EQ(page->StartButtonBitmap(), 429);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgInstall::kStart)->isEnabled());
    EXPECT_FALSE(Find<QComboBox>(page, CDlgInstall::kDriveBox)->isEnabled());
    caption.clear();
    QString text;
    auto done = Answer(QStringLiteral("확인"), &caption, &text);
    ASSERT_TRUE(WaitFor([&] { return !caption.isEmpty(); }, 60000));
    EXPECT_EQ(caption, Text(controller::kCaptionDownloadDone));
    EXPECT_EQ(frame_->state().job_running, 0);
    EXPECT_EQ(page->StartButtonBitmap(), 377);
    EXPECT_TRUE(std::filesystem::exists(DataFolder() + "HX100/HX100.ver"));
    EXPECT_FALSE(std::filesystem::exists(box_.Path("card-E/HX100.ver")));
    screen->RefreshStatus();
    EXPECT_EQ(screen->Strip()->text, "설치 대기 중입니다.");
}

TEST_F(MainScreenTest, AStopDuringTheCardStagesIsRefusedAndLaterAsksAndCancels) {
    InsertCard('E', "1G");
    CDlgMain* screen = MainScreen({"--throttle", "100000"});
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(WaitFor([&] { return frame_->state().drives.size() == 1; }));
    CDlgInstall* page = screen->InstallPage();
    Choose(page, CDlgInstall::kDeviceBox, RowOf("HX100"));
    DeviceEntry& device = *frame_->state().selected_device;
    device.notify_url.clear();
    Choose(page, CDlgInstall::kDriveBox, 0);
    ASSERT_EQ(frame_->state().selected_drive, 'E');
    Click(page, CDlgInstall::kStart);
    ASSERT_EQ(frame_->state().job_running, 1);

    // The card stages (here the restore) cannot be stopped: told so, the job goes on.
    device.job_state = 3;
    QString caption;
    QString text;
    {
        auto watch = Answer(QStringLiteral("확인"), &caption, &text);
        Click(page, CDlgInstall::kStart);
    }
    EXPECT_EQ(caption, QStringLiteral("중지 불가"));
    EXPECT_EQ(text, Text(controller::kTextCannotStop));
    EXPECT_EQ(frame_->state().job_running, 1);
    EXPECT_EQ(device.busy, 1);

    // Once the files are copied it asks, and Yes stops the job.
    ASSERT_TRUE(WaitFor([&] { return device.job_state >= 4; }, 60000));
    screen->RefreshStatus();
    EXPECT_NE(screen->Strip()->text, "설치 대기 중입니다.");
    caption.clear();
    {
        auto watch = Answer(QStringLiteral("예"), &caption, &text);
        Click(page, CDlgInstall::kStart);
    }
    EXPECT_EQ(caption, Text(controller::kCaptionAskStop));
    EXPECT_EQ(text, Text(controller::kTextAskStopInstall));
    EXPECT_EQ(frame_->state().job_running, 0);
    EXPECT_EQ(page->StartButtonBitmap(), 377);
}

}  // namespace
}  // namespace mapvale::ui::test
