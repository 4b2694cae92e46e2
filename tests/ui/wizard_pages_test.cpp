// The easy-install wizard's pages over a real controller signed in to the served world, with
// virtual cards.

#include <gmock/gmock.h>

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "controller/controller_texts.h"
#include "controller/wizard_texts.h"
#include "model/messages.h"
#include "ui/dlg_easy1.h"
#include "ui/dlg_easy2.h"
#include "ui/dlg_easy22.h"
#include "ui/dlg_easy3.h"
#include "ui/dlg_easy4.h"
#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/skin/image_clock.h"
#include "ui/skin/x_message_box.h"
#include "ui/wait_for.h"
#include "ui/web/dlg_alert.h"
#include "ui/web/movie_view.h"
#include "ui/web/program_functions.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"
#include "ui/web/web_test_support.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

constexpr std::string_view kHx100Newest = "*|20240115|2024012|HX100|2024.01|1|0|1\n";
constexpr std::string_view kHx100Unfinished = "*|20240115|2024012|HX100|2024.01|1|0|0\n";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Rows(const QComboBox* box) {
    QStringList rows;
    for (int i = 0; i < box->count(); ++i) {
        rows << box->itemText(i);
    }
    return rows;
}

class WizardPagesTest : public QtFrameTest {
protected:
    void SetUp() override {
        QtFrameTest::SetUp();
        registry_ = ScreenRegistry::Standard();
    }
    void TearDown() override {
        QtFrameTest::TearDown();
        SetWebEnvironment({});
    }

    template <typename Page>
    Page* Current() {
        return qobject_cast<Page*>(qt_ui_->CurrentWizardScreen());
    }
    static QString Line(QWidget* page, int id) {
        const QLabel* label = Find<QLabel>(page, id);
        return label != nullptr ? label->text() : QString();
    }
    // The served world's program folder with the program's own movies and pictures beside it;
    // `media_table` replaces the world's vehicle media.
    controller::CMainFrame& StartedWizard(const std::string& media_table = {},
                                          const std::vector<std::string>& serve_options = {}) {
        Serve(serve_options);
        const std::filesystem::path staged =
            std::string(std::getenv("MAPVALE_PROGRAM_DIR")) + "/Info";
        for (const auto& entry : std::filesystem::directory_iterator(staged)) {
            const std::filesystem::path target =
                ProgramFolder() + "Info/" + entry.path().filename().string();
            if (!std::filesystem::exists(target)) {
                std::filesystem::copy_file(entry.path(), target);
            }
        }
        if (!media_table.empty()) {
            std::ofstream(ProgramFolder() + "Info/VehicleMedia.txt", std::ios::trunc)
                << media_table;
        }
        StoreAutomaticSignIn();
        controller::CMainFrame& frame = MakeQtFrame();
        frame.OnCreate();
        return frame;
    }

    // The device box row of the account's unit `model` (the box lists the controller's devices in
    // their order).
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
    // The first screen with nothing chosen by the program.
    CDlgEasy22* OptionPageWithoutChoice() {
        CDlgEasy22* page = Current<CDlgEasy22>();
        if (page != nullptr) {
            frame_->SelectDevice(nullptr);
            page->RefreshLists();
        }
        return page;
    }
};

TEST_F(WizardPagesTest, TheOptionPageWithoutACardOffersTheHardDiskAlone) {
    controller::CMainFrame& frame = StartedWizard();
    CDlgEasy22* page = OptionPageWithoutChoice();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->size(), QSize(WizardPage::kWidth, WizardPage::kHeight));
    EXPECT_TRUE(page->windowFlags().testFlag(Qt::FramelessWindowHint));
    const struct {
        int id;
        QRect place;
    } places[] = {
        {CDlgEasy22::kDeviceBox, {272, 76, 400, 22}}, {CDlgEasy22::kDriveBox, {272, 112, 400, 22}},
        {CDlgEasy22::kFormat, {272, 154, 16, 16}},    {CDlgEasy22::kBackup, {400, 154, 16, 16}},
        {CDlgEasy22::kPicture, {32, 72, 200, 150}},   {CDlgEasy22::kStatus, {272, 354, 400, 16}},
        {CDlgEasy22::kStart, {588, 410, 100, 34}},    {WizardPage::kClose, {683, 11, 21, 21}},
        {WizardPage::kMinimise, {660, 11, 21, 21}},   {WizardPage::kMainScreen, {637, 11, 21, 21}}};
    for (const auto& [id, place] : places) {
        const QWidget* control = Find<QWidget>(page, id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), place) << id;
    }
    EXPECT_EQ(Line(page, CDlgEasy22::kFormatCaption), QStringLiteral("포맷하기"));
    EXPECT_EQ(Line(page, CDlgEasy22::kBackupCaption), QStringLiteral("파일백업"));

    // Four units of three lines, none chosen; the hard disk is the only drive and it is chosen.
    const QComboBox* devices = Find<QComboBox>(page, CDlgEasy22::kDeviceBox);
    EXPECT_THAT(Rows(devices), ::testing::UnorderedElementsAre(QStringLiteral("[Orvin] 그랜드 HX"),
                                                               QStringLiteral("[Orla]스포츠 HS"),
                                                               QStringLiteral("[Tarno] 투어러 HT"),
                                                               QStringLiteral("[Tarno] 밴 HV")));
    EXPECT_EQ(devices->currentIndex(), -1);
    const QComboBox* drives = Find<QComboBox>(page, CDlgEasy22::kDriveBox);
    EXPECT_EQ(Rows(drives), QStringList{QStringLiteral("[하드 디스크에만 다운로드]")});
    EXPECT_EQ(drives->currentIndex(), 0);
    EXPECT_TRUE(drives->isEnabled());
    EXPECT_EQ(Line(page, CDlgEasy22::kStatus), QStringLiteral("* 설치 단말기를 선택해 주세요."));
    EXPECT_TRUE(page->PictureFile().endsWith(QStringLiteral("Info/NoneSelect.jpg")));

    // A unit chosen: it becomes the controller's, the line names the package for the hard disk.
    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HX100"));
    EXPECT_EQ(frame.state().selected_device->model_name, "HX100");
    EXPECT_THAT(Line(page, CDlgEasy22::kStatus).toStdString(),
                ::testing::MatchesRegex("\\* [0-9]+G 패키지를 설치합니다\\."));
    EXPECT_FALSE(page->PictureFile().endsWith(QStringLiteral("Info/NoneSelect.jpg")));
    // The world's media table names the unit's medium.
    EXPECT_EQ(Line(page, CDlgEasy22::kMedium),
              QStringLiteral("대상 차종은 SD로 업데이트 가능합니다."));

    // While a job runs the drive box keeps the job's card.
    frame.state().job_running = 1;
    page->RefreshLists();
    EXPECT_FALSE(drives->isEnabled());
    frame.state().job_running = 0;
    page->RefreshLists();
    EXPECT_TRUE(drives->isEnabled());
}

TEST_F(WizardPagesTest, UnitsWithoutEasyInstallAndAccountsWithoutUnitsAreTold) {
    controller::CMainFrame& frame = StartedWizard();
    CDlgEasy22* page = OptionPageWithoutChoice();
    ASSERT_NE(page, nullptr);

    // An account without units: one row asking to register one; picking it asks for a vehicle.
    std::list<DeviceEntry> devices = std::move(frame.state().devices);
    frame.state().devices.clear();
    page->RefreshLists();
    EXPECT_EQ(Rows(Find<QComboBox>(page, CDlgEasy22::kDeviceBox)),
              QStringList{QStringLiteral("제품을 등록해 주세요.")});
    QString said;
    QString caption;
    {
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            said = box->text();
            caption = box->windowTitle();
            box->accept();
        });
        Choose(page, CDlgEasy22::kDeviceBox, 0);
    }
    EXPECT_EQ(said, QStringLiteral("차량을 선택한 후에 다시 시도해 주시기 바랍니다."));
    EXPECT_EQ(caption, QStringLiteral("Waymark+ 알림"));
    EXPECT_EQ(frame.state().selected_device, nullptr);
    frame.state().devices = std::move(devices);
    page->RefreshLists();

    // A TARNO PDA unit: told so, and the main screen takes over.
    for (DeviceEntry& device : frame.state().devices) {
        if (device.model_name == "HS200") {
            device.kind = 2;
        }
    }
    page->RefreshLists();
    {
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            said = box->text();
            box->accept();
        });
        Choose(page, CDlgEasy22::kDeviceBox, RowOf("HS200"));
    }
    EXPECT_EQ(said,
              QStringLiteral(
                  "PDA 버전에서는 간편설치를 지원하지 않습니다.\n\n선택설치로 이동 하겠습니다."));
    EXPECT_TRUE(frame.state().main_screen);
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), nullptr);
}

TEST_F(WizardPagesTest, TheMediaTableNamesTheMediumAndDvdModelsLoseTheCardOptions) {
    controller::CMainFrame& frame = StartedWizard("HX100|DVD\nHT300|SD\nbroken line\n");
    CDlgEasy22* page = Current<CDlgEasy22>();
    ASSERT_NE(page, nullptr);

    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HT300"));  // a TARNO unit: no vehicle medium
    EXPECT_EQ(Line(page, CDlgEasy22::kMedium), QString());
    for (DeviceEntry& device : frame.state().devices) {
        device.kind = 8;  // every unit a vehicle, so that the table counts for each
    }
    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HT300"));  // an SD model
    EXPECT_EQ(Line(page, CDlgEasy22::kMedium),
              QStringLiteral("대상 차종은 SD로 업데이트 가능합니다."));
    EXPECT_TRUE(Find<CImageButton>(page, CDlgEasy22::kFormat)->isEnabled());

    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HX100"));  // a DVD model
    EXPECT_EQ(
        Line(page, CDlgEasy22::kMedium),
        QStringLiteral(
            "대상 차종은 DVD로 업데이트 가능합니다.\n\n(하드디스크로만 다운로드 가능합니다.)"));
    EXPECT_FALSE(Find<CImageButton>(page, CDlgEasy22::kFormat)->isEnabled());
    EXPECT_FALSE(Find<CImageButton>(page, CDlgEasy22::kBackup)->isEnabled());
    EXPECT_EQ(page->WizardFormatAndBackupChoice(), std::make_pair(false, false));
    EXPECT_EQ(frame.state().selected_device->format_option, 0);

    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HV400"));  // not in the table: no message
    EXPECT_EQ(Line(page, CDlgEasy22::kMedium), QString());
}

TEST_F(WizardPagesTest, AnOrlaV5UnitOnASmallCardShowsItsNoteAndTheWayToTheMainScreen) {
    InsertCard('E', "1G");
    controller::CMainFrame& frame = StartedWizard();
    ASSERT_TRUE(WaitFor([&] { return frame.state().drives.size() == 1; }));
    CDlgEasy22* page = Current<CDlgEasy22>();
    ASSERT_NE(page, nullptr);
    DeviceEntry& unit = *Device("HS200");
    unit.sub_kind = 2;
    unit.variant_totals = {900LL << 20, 1900LL << 20, 3900LL << 20};  // neither 2G nor 4G fits
    frame.SelectDrive('E');
    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HS200"));
    EXPECT_EQ(Line(page, CDlgEasy22::kStatus), QStringLiteral("* 사용자선택 패키지 설치"));
    const QLabel* note = Find<QLabel>(page, CDlgEasy22::kSmallCardNote);
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(), QStringLiteral("\nORLA(V5.0)은 1G 간편설치를 \n\n지원하지 않습니다."));
    // Another unit: no note.
    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HX100"));
    EXPECT_TRUE(note->isHidden());
    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HS200"));
    Click(page, CDlgEasy22::kMoveScreen);
    EXPECT_TRUE(frame.state().main_screen);
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), nullptr);
}

TEST_F(WizardPagesTest, SwitchingFormatOffAsksAndOkDropsFormatAndBackup) {
    controller::CMainFrame& frame = StartedWizard();
    CDlgEasy22* page = OptionPageWithoutChoice();
    ASSERT_NE(page, nullptr);

    // Without a unit nothing changes and nothing is asked.
    bool asked = false;
    {
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            asked = true;
            box->reject();
        });
        Click(page, CDlgEasy22::kFormat);
    }
    EXPECT_FALSE(asked);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgEasy22::kFormat)->GetCheck());

    Choose(page, CDlgEasy22::kDeviceBox, RowOf("HX100"));
    DeviceEntry& device = *frame.state().selected_device;
    device.format_option = 1;
    device.backup_option = 1;
    page->RefreshOptions();
    EXPECT_EQ(page->WizardFormatAndBackupChoice(), std::make_pair(true, true));

    QString text;
    QString caption;
    QStringList buttons;
    const auto answer_with = [&](const QString& label) {
        return WhenModalOpens<QMessageBox>([&, label](QMessageBox* box) {
            text = box->text();
            caption = box->windowTitle();
            buttons.clear();
            for (QAbstractButton* button : box->buttons()) {
                buttons << button->text();
            }
            Press(box, label);
        });
    };
    {
        auto watch = answer_with(QStringLiteral("취소"));
        Click(page, CDlgEasy22::kFormat);
    }
    EXPECT_EQ(caption, QStringLiteral("확인 취소"));
    EXPECT_EQ(text, Text(controller::kTextCancelFormat));
    EXPECT_THAT(buttons,
                ::testing::UnorderedElementsAre(QStringLiteral("확인"), QStringLiteral("취소")));
    EXPECT_EQ(device.format_option, 1);
    EXPECT_EQ(page->WizardFormatAndBackupChoice(), std::make_pair(true, true));

    {
        auto watch = answer_with(QStringLiteral("확인"));
        Click(page, CDlgEasy22::kFormat);
    }
    EXPECT_EQ(device.format_option, 0);
    EXPECT_EQ(device.backup_option, 0);
    EXPECT_EQ(page->WizardFormatAndBackupChoice(), std::make_pair(false, false));
    EXPECT_FALSE(Find<CImageButton>(page, CDlgEasy22::kBackup)->isEnabled());

    // Switching it on again asks nothing; the backup can be chosen again.
    Click(page, CDlgEasy22::kFormat);
    EXPECT_EQ(device.format_option, 1);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgEasy22::kBackup)->isEnabled());
    Click(page, CDlgEasy22::kBackup);
    EXPECT_EQ(device.backup_option, 1);

    // After the PC was found too small the options stay as they are.
    page->DisableWizardOptions();
    EXPECT_FALSE(Find<CImageButton>(page, CDlgEasy22::kFormat)->isEnabled());
}

TEST_F(WizardPagesTest, TheNewestPackageAlreadyThereIsReportedAndSparesTheHardDiskQuestion) {
    InsertCard('E', "1G", {{"HX100.ver", std::string(kHx100Newest)}});
    InsertCard('F', "1G", {{"HX100.ver", std::string(kHx100Unfinished)}});
    controller::CMainFrame& frame = StartedWizard();
    // The drive watcher finds both cards and the unit of the first.
    ASSERT_TRUE(WaitFor([&] {
        return frame.state().drives.size() == 2 && frame.state().selected_device != nullptr;
    }));
    CDlgEasy22* page = Current<CDlgEasy22>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(frame.state().selected_device->model_name, "HX100");
    // The unit's card is chosen at once.
    const QComboBox* drives = Find<QComboBox>(page, CDlgEasy22::kDriveBox);
    ASSERT_EQ(drives->count(), 3);
    EXPECT_EQ(drives->itemText(2), QStringLiteral("[하드 디스크에만 다운로드]"));
    EXPECT_EQ(drives->currentIndex(),
              std::distance(frame.state().drives.begin(),
                            frame.state().drives.find(frame.state().selected_drive)));

    QString box_text;
    const auto answer_with = [&](int answer) {
        box_text.clear();
        return WhenModalOpens<XMessageBox>([&, answer](XMessageBox* box) {
            box_text = box->findChild<QLabel*>() != nullptr ? box->windowTitle() : QString();
            box->findChild<QPushButton*>(QString::number(answer))->click();
        });
    };
    // The card with the newest package finished: the box; "폴더열기" opens the data folder.
    {
        auto watch = answer_with(kIdNo);
        Choose(page, CDlgEasy22::kDriveBox, 0);
    }
    EXPECT_EQ(box_text, QStringLiteral("Orvin Dalmar Waymark+ 알림"));
    EXPECT_THAT(opened_, ::testing::ElementsAre(DataFolder()));
    EXPECT_TRUE(page->SkipQuestionFlag());
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), page);

    // The card whose last install did not finish: no box; a new choice clears the flag.
    {
        auto watch = answer_with(kIdNo);
        Choose(page, CDlgEasy22::kDriveBox, 1);
    }
    EXPECT_TRUE(box_text.isEmpty());
    EXPECT_FALSE(page->SkipQuestionFlag());

    // The hard disk with a finished download of the newest package: the box again; "확인" spares
    // the hard-disk question at the next start, once.
    std::filesystem::create_directories(DataFolder() + "HX100");
    std::ofstream(DataFolder() + "HX100/HX100.ver") << kHx100Newest;
    {
        auto watch = answer_with(kIdCancel);
        Choose(page, CDlgEasy22::kDriveBox, 2);
    }
    EXPECT_FALSE(box_text.isEmpty());
    EXPECT_EQ(frame.state().selected_drive, 0);
    bool asked = false;
    {
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            asked = true;
            Press(box, QStringLiteral("아니오"));
        });
        Click(page, CDlgEasy22::kStart);
        EXPECT_FALSE(asked);
        EXPECT_TRUE(Find<CImageButton>(page, CDlgEasy22::kStart)->isEnabled());
        // The next start asks about the hard disk; "아니오" keeps the page.
        Click(page, CDlgEasy22::kStart);
    }
    EXPECT_TRUE(asked);
    EXPECT_EQ(frame.state().job_running, 0);
    EXPECT_TRUE(Find<CImageButton>(page, CDlgEasy22::kStart)->isEnabled());

    // "재설치" keeps asking as usual.
    {
        auto watch = answer_with(kIdYes);
        Choose(page, CDlgEasy22::kDriveBox, 2);
    }
    EXPECT_FALSE(page->SkipQuestionFlag());
}

TEST_F(WizardPagesTest, WelcomeAndSummaryPagesButtons) {
    controller::CMainFrame& frame = StartedWizard();
    frame.ShowScreen(controller::kScreenNoCard);
    CDlgEasy1* welcome = Current<CDlgEasy1>();
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(Find<QWidget>(welcome, WizardPage::kMovie)->geometry(), QRect(52, 99, 535, 294));
    Click(welcome, CDlgEasy1::kBigNotices);
    EXPECT_EQ(frame.state().settings.big, 1);
    Click(welcome, WizardPage::kMinimise);
    EXPECT_TRUE(welcome->isMinimized());
    // Button 2 asks the controller to close, which asks the user.
    handled_.clear();
    QString asked;
    {
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            asked = box->text();
            Press(box, QStringLiteral("아니오"));
        });
        Click(welcome, WizardPage::kClose);
        EXPECT_TRUE(WaitFor([&] { return !asked.isEmpty(); }));
    }
    EXPECT_EQ(asked, Text(controller::kTextAskClose));
    EXPECT_FALSE(frame.closed());

    frame.ShowScreen(controller::kScreenCountdown);
    CDlgEasy2* summary = Current<CDlgEasy2>();
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->Countdown()->geometry(), QRect(248, 120, 144, 144));
    EXPECT_EQ(Line(summary, CDlgEasy2::kSummary), QStringLiteral("* 설치 단말기를 선택해 주세요."));
    Click(summary, CDlgEasy2::kChangeOptions);
    EXPECT_NE(Current<CDlgEasy22>(), nullptr);

    frame.ShowScreen(controller::kScreenCountdown);
    summary = Current<CDlgEasy2>();
    ASSERT_NE(summary, nullptr);
    Click(summary, WizardPage::kMainScreen);
    EXPECT_TRUE(frame.state().main_screen);
    EXPECT_EQ(qt_ui_->CurrentWizardScreen(), nullptr);
}

TEST_F(WizardPagesTest, TheCountdownsFirstCommandStartsOnce) {
    InsertCard('E', "1G", {{"HX100.ver", std::string(kHx100Unfinished)}});
    controller::CMainFrame& frame = StartedWizard();
    ASSERT_TRUE(WaitFor([&] { return frame.state().selected_drive == 'E'; }));
    frame.ShowScreen(controller::kScreenCountdown);
    CDlgEasy2* summary = Current<CDlgEasy2>();
    ASSERT_NE(summary, nullptr);
    EXPECT_THAT(Line(summary, CDlgEasy2::kSummary).toStdString(),
                ::testing::StartsWith("E드라이브, 그랜드 HX, "));
    // A start that ends at once (nothing selected): back to the option page, and a second
    // command from the same movie, sent before the page handled the first, does nothing. The
    // page is gone once the first is handled, so both go out together.
    frame.SelectDevice(nullptr);
    CMovieView* countdown = summary->Countdown();
    emit countdown->FSCommand(QStringLiteral("countdown"), QStringLiteral("0"));
    emit countdown->FSCommand(QStringLiteral("countdown"), QStringLiteral("0"));
    ASSERT_TRUE(WaitFor([&] { return Current<CDlgEasy22>() != nullptr; }));
    CDlgEasy22* options = Current<CDlgEasy22>();
    QCoreApplication::processEvents();
    EXPECT_EQ(Current<CDlgEasy22>(), options);
}

TEST_F(WizardPagesTest, TheProgressPageSendsOnlyChangedBarsAndShowsTheStep) {
    InsertCard('E', "1G");
    controller::CMainFrame& frame = StartedWizard();
    ASSERT_TRUE(WaitFor([&] { return frame.state().drives.size() == 1; }));
    frame.SelectDevice(Device("HX100"));
    frame.ShowScreen(controller::kScreenProgress);
    CDlgEasy3* page = Current<CDlgEasy3>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->ProgressMovie()->geometry(), QRect(52, 121, 534, 149));
    EXPECT_EQ(Find<QWidget>(page, CDlgEasy3::kBanner)->geometry(), QRect(52, 306, 608, 115));
    EXPECT_EQ(Find<QWidget>(page, CDlgEasy3::kStatus)->geometry(), QRect(85, 293, 289, 13));
    EXPECT_EQ(Find<QWidget>(page, CDlgEasy3::kClock)->pos(), QPoint(191, 85));
    EXPECT_EQ(Line(page, CDlgEasy3::kStatus), QStringLiteral("설치 준비중입니다."));
    EXPECT_EQ(page->SentBars(), (std::vector<int>{1000, 2000}));

    DeviceEntry& device = *frame.state().selected_device;
    controller::ControllerState& state = frame.state();
    device.job_state = 5;
    device.download_percent = 12;
    device.remaining_download_seconds = 125;
    device.remaining_copy_seconds = 5;
    state.last_progress_kind = kMsgDownloadFileProgress;
    state.current_download_item = "MAP01.zip";
    page->Refresh();
    EXPECT_EQ(Line(page, CDlgEasy3::kStatus), QStringLiteral("MAP01.zip 파일 다운로드 중...."));
    EXPECT_EQ(page->SentBars(), (std::vector<int>{1000, 2000, 1012}));
    EXPECT_EQ(Find<CImageClock>(page, CDlgEasy3::kClock)->Time(), 125);
    // Nothing changed: nothing sent.
    page->Refresh();
    EXPECT_EQ(page->SentBars().size(), 3u);
    device.install_percent = 40;
    state.last_progress_kind = kMsgCopyFileProgress;
    state.current_install_item = "SPOT.exe";
    page->Refresh();
    EXPECT_EQ(page->SentBars(), (std::vector<int>{1000, 2000, 1012, 2040}));
    EXPECT_EQ(Line(page, CDlgEasy3::kStatus), QStringLiteral(" 압축해제중(수십분소용예상)"));
    // The timer does the same by itself.
    device.install_percent = 41;
    EXPECT_TRUE(WaitFor([&] { return page->SentBars().back() == 2041; }));

    Click(page, CDlgEasy3::kHelp);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_THAT(opened_[0], ::testing::EndsWith(std::string(controller::kHelpPagePath)));
    EXPECT_THAT(opened_[0], ::testing::StartsWith("http://"));
}

TEST_F(WizardPagesTest, TheCompletionPageShowsItsMovieAndClosesWithoutAQuestion) {
    controller::CMainFrame& frame = StartedWizard();
    frame.state().last_job_on_card = true;
    frame.ShowScreen(controller::kScreenFinished);
    CDlgEasy4* page = Current<CDlgEasy4>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Movie(), QStringLiteral("Info/Process04_01.html"));
    EXPECT_EQ(Find<QWidget>(page, WizardPage::kMovie)->geometry(), QRect(52, 99, 535, 279));
    frame.state().last_job_on_card = false;
    frame.ShowScreen(controller::kScreenFinished);
    page = Current<CDlgEasy4>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Movie(), QStringLiteral("Info/process04_02.html"));

    bool asked = false;
    auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        asked = true;
        box->reject();
    });
    Click(page, WizardPage::kClose);
    EXPECT_TRUE(WaitFor([&] { return frame.closed(); }));
    EXPECT_FALSE(asked);
}

// With the real workers: the option page's start, the card question, the package's notice
// answered by its own page, then the progress page.
class WizardJobTest : public WizardPagesTest {
protected:
    void TearDown() override {
        answers_.stop();
        notice_.reset();
        WizardPagesTest::TearDown();
    }

    // The served world (with `serve_options`) and the unit HX100 on a 1G card at E:, whose folder
    // is returned; the option page shows them.
    std::string CardOnTheOptionPage(const std::vector<std::string>& serve_options = {}) {
        const std::string card = InsertCard('E', "1G");
        controller::CMainFrame& frame = StartedWizard({}, serve_options);
        EXPECT_TRUE(WaitFor([&] { return frame.state().drives.size() == 1; }));
        frame.SelectDevice(Device("HX100"));
        frame.SelectDrive('E');
        if (CDlgEasy22* options = Current<CDlgEasy22>()) {
            options->RefreshLists();
        }
        return card;
    }

    // Presses the option page's start, answering what it asks as AnswerEverything does.
    void StartFromTheOptionPage() {
        AnswerEverything();
        CDlgEasy22* options = Current<CDlgEasy22>();
        ASSERT_NE(options, nullptr);
        Click(options, CDlgEasy22::kStart);
        EXPECT_THAT(asked_, ::testing::Contains(QStringLiteral("메모리카드 확인")));
    }

    // From now on answers every box with its first button ("예" or "확인"), noting its caption,
    // text and the wizard page under it, and the package's notice with the page's own start
    // button.
    void AnswerEverything() {
        // The notice page may answer through window.external, as the program lets its servers'
        // pages.
        UpdaterScriptHandlers handlers;
        handlers.notice_answer = [this](int answer) { frame_->AnswerNotice(answer); };
        functions_ = UpdaterScriptFunctions(std::move(handlers));
        WebEnvironment environment;
        environment.functions = &functions_;
        environment.trusted_hosts = {QString::fromStdString(server_->address())};
        SetWebEnvironment(std::move(environment));

        answers_.setInterval(5);
        QObject::connect(&answers_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked_.push_back(box->windowTitle());
                said_.push_back(box->text());
                under_.push_back(qt_ui_->CurrentWizardScreen() != nullptr
                                     ? qt_ui_->CurrentWizardScreen()->objectName()
                                     : QString());
                box->buttons().front()->click();
            }
        });
        answers_.start();
        notice_ = WhenModalOpens<CDlgAlert>([](CDlgAlert* alert) {
            CWeb* web = alert->browser();
            ASSERT_TRUE(WaitFor(
                [&] {
                    bool ready = false;
                    web->page()->runJavaScript(
                        QStringLiteral("!!document.getElementById('start') && !!window.external"),
                        [&ready](const QVariant& result) { ready = result.toBool(); });
                    WaitFor([&] { return ready; }, 200);
                    return ready;
                },
                30000));
            web->page()->runJavaScript(QStringLiteral("document.getElementById('start').click()"));
        });
    }

    ScriptFunctionList functions_;
    QTimer answers_;
    std::unique_ptr<QTimer> notice_;
    std::vector<QString> asked_;
    std::vector<QString> said_;
    std::vector<QString> under_;
};

TEST_F(WizardJobTest, AJobStartedOnTheOptionPageEndsOnTheCompletionPageWithTheCardWritten) {
    const std::string card = CardOnTheOptionPage();
    StartFromTheOptionPage();
    ASSERT_NE(Current<CDlgEasy3>(), nullptr) << asked_.size();

    // The progress page until the completion page replaces it; its bars as it sent them.
    std::vector<int> bars;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (CDlgEasy3* progress = Current<CDlgEasy3>()) {
                bars = progress->SentBars();
            }
            return Current<CDlgEasy4>() != nullptr;
        },
        120000));
    EXPECT_EQ(Current<CDlgEasy4>()->Movie(), QStringLiteral("Info/Process04_01.html"));
    // The download bar only grows.
    int last_download = 0;
    for (const int bar : bars) {
        if (bar < 2000) {
            EXPECT_GE(bar, last_download) << ::testing::PrintToString(bars);
            last_download = bar;
        }
    }
    EXPECT_THAT(bars, ::testing::Contains(::testing::Ge(2000)));
    const std::string version = mapvale::testing::Sandbox::Read(card + "HX100.ver");
    EXPECT_EQ(version.rfind("*|20240115|", 0), 0u) << version;
    EXPECT_NE(version.find("|1\n"), std::string::npos) << version;
}

// The countdown movie's own command, sent through its page's bridge as when the count runs out
// (twice, as a page may), starts the job once: its questions and the notice page come up and are
// answered, and the progress and completion pages follow.
TEST_F(WizardJobTest, TheCountdownMoviesOwnCommandStartsTheJobOnce) {
    CardOnTheOptionPage();
    frame_->ShowScreen(controller::kScreenCountdown);
    CDlgEasy2* summary = Current<CDlgEasy2>();
    ASSERT_NE(summary, nullptr);
    ASSERT_TRUE(WaitFor([&] { return summary->Countdown()->IsReady(); }, 30000));
    AnswerEverything();
    mapvale::testing::RunScript(
        *summary->Countdown(),
        QStringLiteral("Movie.fsCommand('countdown', '0'); Movie.fsCommand('countdown', '0'); 1"));
    ASSERT_TRUE(WaitFor([&] { return Current<CDlgEasy3>() != nullptr; }, 90000))
        << ::testing::PrintToString(said_);
    // The countdown was the confirmation: no question about the card.
    EXPECT_THAT(asked_, ::testing::Not(::testing::Contains(QStringLiteral("메모리카드 확인"))));
    ASSERT_TRUE(WaitFor([&] { return Current<CDlgEasy4>() != nullptr; }, 120000));
    // The second command started nothing after the first job.
    QTest::qWait(300);
    EXPECT_EQ(frame_->state().job_running, 0);
    EXPECT_NE(Current<CDlgEasy4>(), nullptr);
}

// The card pulled once the install began, while the slow download still feeds it: the copy
// error is told over the progress page, which gives way to the option page.
TEST_F(WizardJobTest, ACardPulledDuringTheInstallIsToldOnTheProgressPageAndBackToTheOptions) {
    const std::string card = CardOnTheOptionPage({"--throttle", "60000"});
    StartFromTheOptionPage();
    ASSERT_NE(Current<CDlgEasy3>(), nullptr) << asked_.size();
    // The install marks the card as begun (mark 0) before its first copy.
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string version = mapvale::testing::Sandbox::Read(card + "HX100.ver");
            return version.starts_with("*|20240115|") && version.ends_with("|0\n");
        },
        60000));
    const std::size_t boxes_before = said_.size();
    ASSERT_TRUE(cards_.Eject(card));

    ASSERT_TRUE(WaitFor([&] { return Current<CDlgEasy22>() != nullptr; }, 60000));
    ASSERT_EQ(said_.size(), boxes_before + 1) << ::testing::PrintToString(asked_);
    EXPECT_EQ(said_.back().toStdString(),
              "지도 설치에 실패하였습니다.\n[복사 중 오류가 발생했습니다.]\n");
    EXPECT_EQ(under_.back().toStdString(), "CDlgEasy3");
    EXPECT_EQ(frame_->state().job_running, 0);
    EXPECT_EQ(Current<CDlgEasy4>(), nullptr);
    // The card comes back as it was left: the install's mark still says "not finished".
    cards_.Insert({'E', 1ULL << 30, card});
    EXPECT_TRUE(mapvale::testing::Sandbox::Read(card + "HX100.ver").ends_with("|0\n"));
}

}  // namespace
}  // namespace mapvale::ui::test
