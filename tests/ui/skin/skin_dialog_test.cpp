#include "ui/skin/skin_dialog.h"

#include <gmock/gmock.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "ui/skin/dialog_rsz.h"
#include "ui/skin/image_button.h"
#include "ui/skin/skin_image.h"
#include "ui/skin/splash_window.h"
#include "ui/wait_for.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;

// A window that records its commands and ends on command 2, as the program's dialogs do.
class RecordingDialog : public CSkinDialog {
public:
    using CSkinDialog::CSkinDialog;
    QList<int> commands;
    bool ends_on_cancel = true;

protected:
    void OnCommand(int id) override {
        commands.append(id);
        if (id == 2 && ends_on_cancel) {
            done(QDialog::Rejected);
        }
    }
};

TEST(SkinDialog, EnterAndEscapeAreCommandsOneAndTwo) {
    RecordingDialog dialog(nullptr);
    dialog.resize(200, 100);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Enter, Qt::KeypadModifier);
    // Enter is only a command: the window stays open unless it handles 1.
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_THAT(dialog.commands, ::testing::ElementsAre(1, 1, 2));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(SkinDialog, AWindowManagerCloseGoesToTheWindowNotStraightThrough) {
    RecordingDialog dialog(nullptr);
    dialog.ends_on_cancel = false;  // e.g. a screen that first asks "종료하시겠습니까?"
    dialog.resize(200, 100);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_THAT(dialog.commands, ::testing::ElementsAre(2));

    // The program's own close is not a request.
    dialog.CloseWindow();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_THAT(dialog.commands, ::testing::ElementsAre(2));
}

TEST(SkinDialog, ButtonsCommandTheWindowAndTheBackgroundSetsTheSize) {
    RecordingDialog dialog(nullptr, 450);
    EXPECT_EQ(dialog.size(), SkinImage(450).size());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    CImageButton* cancel = dialog.AddButton(2, 333, 4, 60, 250);
    EXPECT_EQ(cancel->pos(), QPoint(250, 60));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy commanded(&dialog, &CSkinDialog::commanded);
    QTest::mouseClick(cancel, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_THAT(dialog.commands, ::testing::ElementsAre(2));
    EXPECT_EQ(commanded.count(), 1);
}

TEST(SkinDialog, DraggedByItsBandOrItsBodyByFollowingTheMouse) {
    RecordingDialog dialog(nullptr);
    dialog.resize(300, 200);
    dialog.move(100, 100);
    dialog.SetDragArea(44);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 45), dialog.mapToGlobal(QPointF(80, 45)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(80, 45));
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 25));

    // Below the band nothing moves.
    const QPoint after = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 100));
    QMouseEvent below(QEvent::MouseMove, QPointF(90, 140), dialog.mapToGlobal(QPointF(90, 140)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &below);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, 140));
    EXPECT_EQ(dialog.pos(), after);

    dialog.SetDragArea(CSkinDialog::kDragBody);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 150));
    QMouseEvent body(QEvent::MouseMove, QPointF(40, 160), dialog.mapToGlobal(QPointF(40, 160)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &body);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(40, 160));
    EXPECT_EQ(dialog.pos(), after + QPoint(-10, 10));
}

TEST(SkinDialog, RoundedCornersCutTheWindowsShape) {
    RecordingDialog dialog(nullptr);
    dialog.resize(100, 80);
    dialog.SetRoundedCorners(20);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(50, 40)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(50, 0)));
    dialog.resize(200, 80);
    EXPECT_TRUE(dialog.mask().contains(QPoint(150, 40)));
}

TEST(DialogRsz, ControlsFollowTheSizePerAxisAndTheWindowKeepsItsMinimum) {
    CDialogRsz dialog(nullptr);
    dialog.resize(800, 600);
    auto* strip = new QWidget(&dialog);
    strip->setGeometry(8, 542, 785, 51);
    auto* pages = new QWidget(&dialog);
    pages->setGeometry(8, 80, 785, 450);
    auto* corner = new QWidget(&dialog);
    corner->setGeometry(767, 15, 21, 21);
    auto* fixed = new QWidget(&dialog);
    fixed->setGeometry(370, 17, 183, 24);
    dialog.AddAnchor(strip, CDialogRsz::kStretchX | CDialogRsz::kMoveY);
    dialog.AddAnchor(pages, CDialogRsz::kStretchX | CDialogRsz::kStretchY);
    dialog.AddAnchor(corner, CDialogRsz::kMoveX);
    dialog.AddAnchor(fixed, {});
    EXPECT_EQ(dialog.minimumSize(), QSize(800, 600));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    dialog.resize(1000, 700);
    EXPECT_EQ(strip->geometry(), QRect(8, 642, 985, 51));
    EXPECT_EQ(pages->geometry(), QRect(8, 80, 985, 550));
    EXPECT_EQ(corner->geometry(), QRect(967, 15, 21, 21));
    EXPECT_EQ(fixed->geometry(), QRect(370, 17, 183, 24));

    // A control registered while the window is larger is measured from the initial size.
    auto* late = new QWidget(&dialog);
    late->setGeometry(900, 650, 10, 10);
    dialog.AddAnchor(late, CDialogRsz::kMoveX | CDialogRsz::kMoveY);
    dialog.resize(800, 600);
    EXPECT_EQ(late->geometry(), QRect(700, 550, 10, 10));
    EXPECT_EQ(strip->geometry(), QRect(8, 542, 785, 51));

    dialog.resize(500, 400);
    EXPECT_EQ(dialog.size(), QSize(800, 600));
    dialog.EnableMinimumSize(false, true);
    dialog.resize(500, 400);
    EXPECT_EQ(dialog.size(), QSize(500, 600));
}

TEST(Splash, CentredOnTheScreenClosedByItsTimerAndShownOnceOnly) {
    QPointer<CSplashWnd> splash = CSplashWnd::ShowOnce(50);
    ASSERT_TRUE(splash);
    EXPECT_EQ(splash->size(), SkinImage(CSplashWnd::kImage).size());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((splash->geometry().center() - screen.center()).manhattanLength(), 1);
    EXPECT_TRUE(splash->isVisible());
    // Closed (and deleted) by its own timer.
    EXPECT_TRUE(WaitFor([&] { return splash.isNull(); }));
    EXPECT_FALSE(CSplashWnd::ShowOnce(50));
}

}  // namespace
}  // namespace mapvale::ui
