// The settings dialog on real widgets over a started controller, with volumes the test lists:
// what it shows, browsing, and what OK refuses, asks, recommends and stores.

#include "ui/dlg_env.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "app/constants.h"
#include "controller/frame_fixture.h"
#include "support/listed_volumes.h"
#include "ui/skin/image_button.h"
#include "ui/wait_for.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::ListedVolumes;
using mapvale::testing::WhenModalOpens;
using platform::VolumeKind;

constexpr std::uint64_t kGb = 1024ull * 1024 * 1024;

class DlgEnvTest : public controller::test::FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        listed_.Add('C', "/", VolumeKind::kFixed, 2048 * kGb);
        listed_.Add('D', "/mnt/cd/", VolumeKind::kCdRom, 1 * kGb);
        listed_.Add('E', "/media/stick/", VolumeKind::kRemovable, 16 * kGb);
        listed_.Add('F', "/net/share/", VolumeKind::kRemote, 100 * kGb);
        listed_.Add('G', "/mnt/small/", VolumeKind::kFixed, 79 * kGb / 10);
        listed_.Add('H', "/mnt/eight/", VolumeKind::kFixed, 8 * kGb);
        listed_.Add('I', "/mnt/silent/", VolumeKind::kFixed, std::nullopt);
    }

    std::unique_ptr<CDlgEnv> Open(controller::CMainFrame& frame) {
        auto dialog = std::make_unique<CDlgEnv>(frame, ui_, listed_, &owner_);
        dialog->show();
        return dialog;
    }
    // Types `folder` and presses OK; `answer` handles the box that opens (none expected when
    // null). Returns the box's caption.
    QString TypeAndConfirm(CDlgEnv& dialog, const QString& folder,
                           const QString& answer = QString()) {
        dialog.findChild<QLineEdit*>(QStringLiteral("1022"))->setText(folder);
        QString caption;
        auto watch = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            texts_.push_back(box->text());
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == answer) {
                    button->click();
                    return;
                }
            }
            box->reject();
        });
        QTest::mouseClick(Button(dialog, 1), Qt::LeftButton);
        return caption;
    }
    static CImageButton* Button(CDlgEnv& dialog, int id) {
        for (CImageButton* button : dialog.findChildren<CImageButton*>()) {
            if (button->Id() == id) {
                return button;
            }
        }
        return nullptr;
    }

    ListedVolumes listed_;
    QWidget owner_;
    QStringList texts_;
};

TEST_F(DlgEnvTest, ShowsTheFolderAndTheFreeSpaceOfItsDrive) {
    controller::CMainFrame& frame = StartedFrame();
    owner_.setGeometry(100, 100, 800, 600);
    owner_.show();
    frame.state().settings.data_folder = "/home/me/maps/";
    frame.state().settings.big = 1;
    auto dialog = Open(frame);
    EXPECT_EQ(dialog->size(), QSize(400, 410));
    EXPECT_EQ(dialog->frameGeometry().center(), owner_.frameGeometry().center());
    EXPECT_EQ(dialog->FolderText(), "/home/me/maps");
    EXPECT_EQ(dialog->FreeSpaceText(), " 2.0 TBytes");
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("1022"))->geometry(),
              QRect(45, 154, 310, 14));
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("1040"))->geometry(),
              QRect(193, 131, 86, 12));
    EXPECT_EQ(Button(*dialog, CDlgEnv::kBrowse)->pos(), QPoint(146, 366));
    EXPECT_EQ(Button(*dialog, 2)->pos(), QPoint(202, 368));
    for (int id = 1037; id <= 1039; ++id) {
        EXPECT_FALSE(Button(*dialog, id)->isVisible()) << id;
    }
    EXPECT_EQ(dialog->CheckedMode(), 1);

    frame.state().settings.data_folder = "/mnt/silent/maps/";
    frame.state().settings.big = 7;
    auto unknown = Open(frame);
    EXPECT_EQ(unknown->FreeSpaceText(), "알수없음");
    EXPECT_EQ(unknown->CheckedMode(), -1);
}

TEST_F(DlgEnvTest, BrowsingPutsTheChosenFolderInWithItsFreeSpace) {
    controller::CMainFrame& frame = StartedFrame();
    auto dialog = Open(frame);
    ui_.folders = {"/mnt/small\\maps"};
    QTest::mouseClick(Button(*dialog, CDlgEnv::kBrowse), Qt::LeftButton);
    ASSERT_EQ(ui_.folder_titles.size(), 1u);
    EXPECT_EQ(ui_.folder_titles[0], "디렉토리를 선택하세요.");
    EXPECT_EQ(dialog->FolderText(), "/mnt/small/maps");
    EXPECT_EQ(dialog->FreeSpaceText(), " 7.9 GBytes");
    // Cancelled: nothing changes.
    QTest::mouseClick(Button(*dialog, CDlgEnv::kBrowse), Qt::LeftButton);
    EXPECT_EQ(dialog->FolderText(), "/mnt/small/maps");
}

TEST_F(DlgEnvTest, OtherDrivesAndBadTextsAreRefusedAndTheDialogStays) {
    controller::CMainFrame& frame = StartedFrame();
    const std::string before = frame.state().settings.data_folder;
    auto dialog = Open(frame);
    for (const QString& folder : {QStringLiteral("/mnt/cd/maps"), QStringLiteral("/media/stick"),
                                  QStringLiteral(""), QStringLiteral("maps/here")}) {
        EXPECT_EQ(TypeAndConfirm(*dialog, folder, "확인"), "폴더 설정 오류")
            << folder.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(frame.state().settings.data_folder, before);
    }
    EXPECT_EQ(texts_.front(), "하드디스크 타입이 아닌 드라이브로 설정할 수 없습니다!");

    // A network drive asks; No keeps the dialog, Yes stores.
    EXPECT_EQ(TypeAndConfirm(*dialog, "/net/share/maps", "아니오"), "드라이브 설정 경고");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(frame.state().settings.data_folder, before);
    EXPECT_EQ(TypeAndConfirm(*dialog, "/net/share/maps", "예"), "드라이브 설정 경고");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(frame.state().settings.data_folder, "/net/share/maps/");
}

TEST_F(DlgEnvTest, LittleRoomIsOnlyARecommendationAndRootsStayAsTheyAre) {
    controller::CMainFrame& frame = StartedFrame();
    frame.state().settings.big = 5;
    auto small = Open(frame);
    EXPECT_EQ(TypeAndConfirm(*small, "/mnt/small/maps", "확인"), "폴더 설정 권장");
    EXPECT_EQ(small->result(), QDialog::Accepted);
    EXPECT_EQ(frame.state().settings.data_folder, "/mnt/small/maps/");
    // No mode was marked for 5: the stored one stays.
    EXPECT_EQ(profile_.GetProfileInt(app::kSectionUser, "BIG", 0), 5);
    EXPECT_EQ(profile_.GetProfileString(app::kSectionPath, "DATA"), "/mnt/small/maps/");

    auto eight = Open(frame);
    EXPECT_EQ(TypeAndConfirm(*eight, "/mnt/eight/", "확인"), "");  // no box
    EXPECT_EQ(eight->result(), QDialog::Accepted);
    EXPECT_EQ(frame.state().settings.data_folder, "/mnt/eight/");

    auto root = Open(frame);
    EXPECT_EQ(TypeAndConfirm(*root, "/", "확인"), "");
    EXPECT_EQ(frame.state().settings.data_folder, "/");
}

TEST_F(DlgEnvTest, CloseKeepsEverything) {
    controller::CMainFrame& frame = StartedFrame();
    const std::string before = frame.state().settings.data_folder;
    auto dialog = Open(frame);
    dialog->findChild<QLineEdit*>(QStringLiteral("1022"))->setText("/mnt/eight/x");
    QTest::mouseClick(Button(*dialog, 2), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(frame.state().settings.data_folder, before);
}

}  // namespace
}  // namespace mapvale::ui::test
