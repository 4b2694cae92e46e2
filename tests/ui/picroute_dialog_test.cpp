// The photo dialog with the world's map page in the map panel: the page's "Picroute" button
// opens it, the map's position comes in through SetCoord, a loaded photo moves the map, and a
// save posts to the portal and copies to the card; the page's board brings a photo to the card.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

#include "controller/photo_save.h"
#include "extras/datum_shift.h"
#include "extras/exif_gps.h"
#include "extras/test_jpeg.h"
#include "extras/upload_body.h"
#include "platform/files.h"
#include "ui/dlg_picroute.h"
#include "ui/qt_frame_fixture.h"
#include "ui/skin/image_button.h"
#include "ui/wait_for.h"
#include "ui/web/program_functions.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"
#include "ui/web/web_panels.h"
#include "ui/web/web_test_support.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::RunScript;
using mapvale::testing::WaitFor;
using mapvale::testing::WaitForScript;

// Answers every message box that opens with its first button, keeping text and caption.
class BoxAnswerer {
public:
    BoxAnswerer() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said.push_back(box->windowTitle() + QStringLiteral(" | ") + box->text());
                box->buttons().front()->click();
            }
        });
        timer_.start();
    }
    QStringList said;

private:
    QTimer timer_;
};

// A click in the middle of the image button `id`.
void ClickMiddle(QWidget& dialog, int id) {
    auto* button = dialog.findChild<CImageButton*>(QString::number(id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

template <typename T>
T* Child(QWidget& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

TEST_F(QtFrameTest, ThePhotoDialogWorksWithTheMapPageThePortalAndTheCard) {
    const std::string card = InsertCard('E', "1G");
    controller::CMainFrame& frame = StartedQtFrame();
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>('E'), 1);
    frame.SelectDevice(Device("HS200"));
    frame.SelectDrive('E');
    ASSERT_EQ(frame.state().selected_drive, 'E');

    // The program's wiring of the three photo functions, over this frame.
    QPointer<CDlgPicroute> dialog;
    const QString photo_path = QString::fromStdString(
        box_.Write("chosen.jpg",
                   extras::test::WithSegments(extras::test::MakeJpeg({64, 48}),
                                              extras::ExifGpsSegment({46'467'180, 12'664'656}))));
    UpdaterScriptHandlers handlers;
    handlers.download_picroute = [&frame](const std::vector<ScriptValue>& arguments) {
        return frame.DownloadPicroute(arguments);
    };
    handlers.set_coord = [&dialog](int longitude, int latitude) {
        if (dialog) {
            dialog->SetCoord(longitude, latitude);
        }
    };
    handlers.photo_dialog_open = [&] {
        if (!dialog) {
            dialog = new CDlgPicroute(frame, *qt_ui_, nullptr);
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            dialog->SetFileChooser([&photo_path] { return photo_path; });
        }
        dialog->show();
    };
    const ScriptFunctionList functions = UpdaterScriptFunctions(std::move(handlers));
    WebEnvironment environment;
    environment.functions = &functions;
    environment.trusted_hosts = {QString::fromStdString(server_->address())};
    SetWebEnvironment(environment);

    CDlgMap map(nullptr, frame.state().servers, "H");
    qt_ui_->SetMapPanel(map.browser());
    map.Activate();
    ASSERT_TRUE(
        WaitForScript(*map.browser(), "document.getElementById('photo-sample-1') !== null"));

    // The page's button opens the dialog: empty, posting off, copying on.
    RunScript(*map.browser(), "document.getElementById('picroute').click()");
    ASSERT_TRUE(WaitFor([&] { return dialog && dialog->isVisible(); }, 30000));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Orla짱- Picroute"));
    EXPECT_EQ(dialog->size(), QSize(640, 420));
    EXPECT_EQ(dialog->LongitudeText(), QStringLiteral("0.000000"));
    EXPECT_FALSE(dialog->WebPosting());
    EXPECT_TRUE(dialog->CopyToCard());
    EXPECT_FALSE(Child<QLineEdit>(*dialog, CDlgPicroute::kSubjectEdit)->isEnabled());

    // The map's position, asked for and shown in Bessel.
    ClickMiddle(*dialog, CDlgPicroute::kGetPosition);
    const extras::GeoPosition bessel = extras::Wgs84ToBessel({45'720'000, 13'500'000});
    ASSERT_TRUE(WaitFor(
        [&] {
            return dialog->LongitudeText() ==
                   QString::fromStdString(controller::DegreesText(bessel.longitude));
        },
        10000));
    EXPECT_EQ(dialog->LatitudeText(),
              QString::fromStdString(controller::DegreesText(bessel.latitude)));

    // A photo with its position: shown as read, and the map goes there in WGS 84.
    ClickMiddle(*dialog, CDlgPicroute::kOpen);
    EXPECT_EQ(dialog->PathText(), photo_path);
    EXPECT_EQ(dialog->LongitudeText(), QStringLiteral("129.075500"));
    EXPECT_EQ(dialog->LatitudeText(), QStringLiteral("35.179600"));
    EXPECT_TRUE(dialog->HasPreview());
    const extras::GeoPosition wgs = extras::BesselToWgs84({46'467'180, 12'664'656});
    const QString center = QStringLiteral("setCenter(%1,%2)").arg(wgs.longitude).arg(wgs.latitude);
    EXPECT_TRUE(WaitForScript(*map.browser(), "window.mapCalls.indexOf('" + center + "') >= 0"));

    // Posting on, the texts filled: saved, posted, copied, then reset and hidden.
    ClickMiddle(*dialog, CDlgPicroute::kWebPosting);
    EXPECT_TRUE(Child<QLineEdit>(*dialog, CDlgPicroute::kSubjectEdit)->isEnabled());
    ClickMiddle(*dialog, CDlgPicroute::kFirstCategory + 2);
    Child<QLineEdit>(*dialog, CDlgPicroute::kSubjectEdit)->setText(QStringLiteral("해운대"));
    Child<QLineEdit>(*dialog, CDlgPicroute::kLocationEdit)->setText(QStringLiteral("부산"));
    Child<QPlainTextEdit>(*dialog, CDlgPicroute::kContentsEdit)
        ->setPlainText(QStringLiteral("바다"));
    {
        BoxAnswerer boxes;
        ClickMiddle(*dialog, CDlgPicroute::kSave);
        EXPECT_EQ(
            boxes.said,
            QStringList({QStringLiteral("처리 완료 | Picroute, 웹 게시를 완료하였습니다."),
                         QStringLiteral("처리 완료 | 메모리 카드에 복사를 완료하였습니다.")}));
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->PathText().isEmpty());
    EXPECT_FALSE(dialog->WebPosting());
    EXPECT_EQ(dialog->Category(), -1);
    EXPECT_FALSE(dialog->HasPreview());
    EXPECT_TRUE(platform::FileExists(card + "Swiftpath_OrLa/UserData/MyPhoto/UserPhoto.jpg"));
    EXPECT_TRUE(platform::FileExists(world_.folder + "/picroute-uploads/upload-1/photo.bin"));
    EXPECT_TRUE(
        WaitForScript(*map.browser(), "window.mapCalls.indexOf('setMapMovePhotoSearch()') >= 0"));
    // The board now lists the post; its sample goes to the card and the page hears closeUI(2).
    ASSERT_TRUE(
        WaitForScript(*map.browser(), "document.getElementById('photo-upload-1') !== null"));
    {
        BoxAnswerer boxes;
        RunScript(*map.browser(), "document.getElementById('photo-sample-1').click()");
        ASSERT_TRUE(WaitFor([&] { return !boxes.said.isEmpty(); }, 30000));
        EXPECT_EQ(boxes.said.front(),
                  QStringLiteral("처리 완료 | 다운로드 후 메모리카드에 복사를 완료하였습니다."));
    }
    EXPECT_TRUE(platform::FileExists(card + "Swiftpath_OrLa/UserData/MyPhoto/sample-1.jpg"));
    EXPECT_TRUE(WaitForScript(*map.browser(), "window.mapCalls.indexOf('closeUI(2)') >= 0"));

    // A file that is no JPEG: the failure box, and the dialog keeps its edits.
    dialog->show();
    dialog->SetFileChooser(
        [this] { return QString::fromStdString(box_.Write("png.jpg", "\x89PNG")); });
    {
        BoxAnswerer boxes;
        ClickMiddle(*dialog, CDlgPicroute::kOpen);
        EXPECT_EQ(boxes.said,
                  QStringList({QStringLiteral("로드 실패 | 이미지를 로드하는데 실패하였습니다.")}));
    }
    EXPECT_TRUE(dialog->isVisible());
    delete dialog.data();
    SetWebEnvironment(WebEnvironment{});
}

TEST_F(QtFrameTest, ThePhotoDialogsTextsRefuseWhatTheUploadCannotCarry) {
    controller::CMainFrame& frame = StartedQtFrame();
    CDlgPicroute dialog(frame, *qt_ui_, nullptr);
    dialog.show();
    ClickMiddle(dialog, CDlgPicroute::kWebPosting);
    auto* subject = Child<QLineEdit>(dialog, CDlgPicroute::kSubjectEdit);
    subject->setFocus();
    // Typed one character at a time: two bytes each in CP949, until the part is full.
    for (int i = 0; i < 300; ++i) {
        subject->insert(QString(QChar(0xAC00)));
    }
    const std::size_t room = extras::MaxFieldBytes("subject");
    EXPECT_EQ(static_cast<std::size_t>(subject->text().size()), room / 2);
    auto* contents = Child<QPlainTextEdit>(dialog, CDlgPicroute::kContentsEdit);
    contents->setPlainText(QString(room, QLatin1Char('a')));
    contents->insertPlainText(QStringLiteral("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"));
    EXPECT_LE(static_cast<std::size_t>(contents->toPlainText().size()),
              extras::MaxFieldBytes("contents"));
    // A save the writer refuses (no photo loaded) says so and keeps everything.
    Child<QLineEdit>(dialog, CDlgPicroute::kLongitudeEdit)->setText(QStringLiteral("127"));
    Child<QLineEdit>(dialog, CDlgPicroute::kLatitudeEdit)->setText(QStringLiteral("37.5"));
    Child<QLineEdit>(dialog, CDlgPicroute::kLocationEdit)->setText(QStringLiteral("부산"));
    ClickMiddle(dialog, CDlgPicroute::kFirstCategory);
    ClickMiddle(dialog, CDlgPicroute::kCopyToCard);
    {
        BoxAnswerer boxes;
        ClickMiddle(dialog, CDlgPicroute::kSave);
        EXPECT_EQ(boxes.said, QStringList({QStringLiteral("TSKN_Waymark+ | 좌표 정보 저장 오류가 "
                                                          "발생했습니다. [-2]\n")}));
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.LongitudeText(), QStringLiteral("127"));
    EXPECT_EQ(dialog.Category(), 0);
    EXPECT_FALSE(subject->text().isEmpty());
    // Closing resets and hides.
    ClickMiddle(dialog, CDlgPicroute::kClose);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(subject->text().isEmpty());
    EXPECT_FALSE(dialog.WebPosting());
}

}  // namespace
}  // namespace mapvale::ui::test
