#include "ui/skin/image_button.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "ui/skin/button_group.h"
#include "ui/skin/skin_test_images.h"
#include "ui/wait_for.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::FrameColour;
using mapvale::testing::SolidStrip;
using mapvale::testing::WaitFor;

class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        window_->resize(200, 100);
        window_->move(100, 100);
        // Earlier tests leave the cursor wherever they moved it; keep it off this window.
        QCursor::setPos(0, 0);
    }

    CImageButton* Button(int id, int frames, int x, ButtonMode mode = ButtonMode::kPush) {
        auto* button = new CImageButton(id, window_.get());
        button->SetImage(frames, SolidStrip(frames));
        button->SetMode(mode);
        button->PlaceButton(10, x);
        return button;
    }

    void Show() {
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    static void Click(CImageButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
    }

    // The colour of the button's painted frame, read back from the screen's pixels.
    static QRgb Shown(CImageButton* button) {
        return button->grab().toImage().pixel(button->width() / 2, button->height() / 2);
    }

    std::unique_ptr<QWidget> window_;
};

TEST_F(ImageButtonTest, APushButtonCommandsOnceOnReleaseOverItAndNeverOutside) {
    CImageButton* button = Button(1017, 4, 10);
    Show();
    EXPECT_EQ(button->objectName(), QStringLiteral("1017"));
    QSignalSpy commands(button, &CImageButton::command);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(button->CurrentFrame(), 1);
    EXPECT_EQ(commands.count(), 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1017);

    // Pressed over it, released elsewhere: the user changed their mind.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_EQ(commands.count(), 1);
    EXPECT_FALSE(button->Look().pressed);

    // A release without a press over it (the press went to another control) does nothing.
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(commands.count(), 1);

    button->setEnabled(false);
    Click(button);
    EXPECT_EQ(commands.count(), 1);
}

TEST_F(ImageButtonTest, ADoubleClickIsASecondPress) {
    CImageButton* button = Button(7, 4, 10);
    Show();
    QSignalSpy commands(button, &CImageButton::command);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent double_click(QEvent::MouseButtonDblClick, QPointF(3, 3),
                             button->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::LeftButton,
                             Qt::NoModifier);
    QApplication::sendEvent(button, &double_click);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(commands.count(), 2);
}

TEST_F(ImageButtonTest, ACheckButtonTogglesAndCommandsEachTime) {
    CImageButton* box = Button(11, 4, 10, ButtonMode::kCheck);
    Show();
    QSignalSpy commands(box, &CImageButton::command);
    Click(box);
    EXPECT_TRUE(box->GetCheck());
    Click(box);
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(commands.count(), 2);
}

TEST_F(ImageButtonTest, ARadioGroupKeepsTheOrderItWasBuiltInWhateverIsRaised) {
    CButtonGroup group;
    CImageButton* first = Button(1037, 4, 10, ButtonMode::kRadio);
    CImageButton* second = Button(1038, 4, 40, ButtonMode::kRadio);
    CImageButton* third = Button(1039, 4, 70, ButtonMode::kRadio);
    for (CImageButton* b : {first, second, third}) {
        group.Add(b);
    }
    // Raising reorders the parent's children; the group must not follow.
    first->raise();
    Show();

    Click(third);
    EXPECT_EQ(first->GetGroupCheck(), 2);
    EXPECT_EQ(third->GetGroupCheck(), 2);
    EXPECT_TRUE(third->GetCheck());
    EXPECT_FALSE(first->GetCheck());

    first->SetGroupCheck(CImageButton::kSelf);
    EXPECT_EQ(second->GetGroupCheck(), 0);
    EXPECT_FALSE(third->GetCheck());

    third->SetGroupCheck(1);
    EXPECT_EQ(first->GetGroupCheck(), 1);
    EXPECT_TRUE(second->GetCheck());

    // Clicking the one that is on keeps it on.
    Click(second);
    EXPECT_EQ(first->GetGroupCheck(), 1);

    // An index outside the group switches all off.
    first->SetGroupCheck(7);
    EXPECT_EQ(first->GetGroupCheck(), -1);

    // A button that goes away leaves the group without a dangling entry.
    delete second;
    EXPECT_EQ(group.Count(), 2);
    third->SetGroupCheck(CImageButton::kSelf);
    EXPECT_EQ(first->GetGroupCheck(), 1);
}

TEST_F(ImageButtonTest, ARadioButtonOutsideAnyGroupIsAGroupOfOne) {
    CImageButton* alone = Button(1050, 4, 10, ButtonMode::kRadio);
    Show();
    EXPECT_EQ(alone->GetGroupCheck(), -1);
    alone->SetGroupCheck(CImageButton::kSelf);
    EXPECT_EQ(alone->GetGroupCheck(), 0);
}

TEST_F(ImageButtonTest, EachStatePaintsItsFramePixelForPixel) {
    CImageButton* push = Button(1, 4, 10);
    CImageButton* check = Button(2, 5, 40, ButtonMode::kCheck);
    Show();
    const QPixmap strip4 = SolidStrip(4);
    const QPixmap strip5 = SolidStrip(5);
    auto expect_frame = [](CImageButton* button, const QPixmap& strip, int frame) {
        const QSize size = button->FrameSize();
        const QImage expected = strip.copy(QRect(QPoint(frame * size.width(), 0), size))
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(button->grab().toImage().convertToFormat(QImage::Format_RGB32), expected)
            << "frame " << frame;
    };
    expect_frame(push, strip4, 0);
    QTest::mouseMove(push, QPoint(2, 2));
    ASSERT_TRUE(WaitFor([&] { return push->IsHovered(); }));
    expect_frame(push, strip4, 2);
    QTest::mousePress(push, Qt::LeftButton, {}, QPoint(2, 2));
    expect_frame(push, strip4, 1);
    QTest::mouseRelease(push, Qt::LeftButton, {}, QPoint(2, 2));
    push->setEnabled(false);
    expect_frame(push, strip4, 3);

    check->SetCheck(true);
    expect_frame(check, strip5, 1);
    check->setEnabled(false);
    expect_frame(check, strip5, 4);
    check->SetCheck(false);
    expect_frame(check, strip5, 3);
}

TEST_F(ImageButtonTest, HoverIsPaintedAndEndsAfterTheMouseLeaves) {
    CImageButton* button = Button(5, 4, 10);
    Show();
    QTest::mouseMove(button, QPoint(3, 3));
    ASSERT_TRUE(WaitFor([&] { return button->IsHovered(); }));
    EXPECT_EQ(Shown(button), FrameColour(2).rgb());
    QTest::mouseMove(window_.get(), QPoint(180, 90));
    ASSERT_TRUE(WaitFor([&] { return !button->IsHovered(); }));
    EXPECT_EQ(Shown(button), FrameColour(0).rgb());

    // Disabled buttons do not light up.
    button->setEnabled(false);
    QTest::mouseMove(button, QPoint(3, 3));
    QCoreApplication::processEvents();
    EXPECT_FALSE(button->IsHovered());
}

TEST_F(ImageButtonTest, TabsDrawPressedWhileTheirOwnFlagIsSet) {
    CImageButton* ov = Button(1066, 4, 10);
    CImageButton* dl = Button(1067, 4, 40);
    CImageButton* other_window_dl = Button(1067, 4, 70);  // the same id in another dialog
    Show();
    dl->SetDrawnPressed(true);
    EXPECT_EQ(Shown(dl), FrameColour(1).rgb());
    EXPECT_EQ(Shown(ov), FrameColour(0).rgb());
    EXPECT_EQ(Shown(other_window_dl), FrameColour(0).rgb());
    dl->SetDrawnPressed(false);
    EXPECT_EQ(Shown(dl), FrameColour(0).rgb());
}

TEST_F(ImageButtonTest, StripsAreCutIntoFramesAndBadCountsMeanOneFrame) {
    CImageButton* button = Button(3, 4, 10);
    EXPECT_EQ(button->size(), QSize(12, 9));
    button->SetImage(0, SolidStrip(3));
    EXPECT_EQ(button->FrameCount(), 1);
    EXPECT_EQ(button->size(), QSize(36, 9));
    button->SetImage(100, SolidStrip(2));  // more frames than pixels
    EXPECT_EQ(button->FrameCount(), 1);
    // A missing skin image paints nothing and has no size.
    button->SetImage(4, 999998);
    EXPECT_EQ(button->size(), QSize(0, 0));
}

TEST_F(ImageButtonTest, PlaceButtonCorrectsForTheParentsFrame) {
    // Frameless: the place is the client place.
    CImageButton* button = Button(9, 4, 10);
    button->PlaceButton(15, 743);
    EXPECT_EQ(button->pos(), QPoint(743, 15));

    // Framed: half the difference between outer and client sizes is added.
    QWidget framed;
    framed.resize(300, 200);
    framed.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&framed));
    auto* inside = new CImageButton(10, &framed);
    inside->SetImage(4, SolidStrip(4));
    inside->PlaceButton(15, 20);
    const QSize outer = framed.frameGeometry().size();
    const QPoint offset((outer.width() - framed.width()) / 2,
                        (outer.height() - framed.height()) / 2);
    EXPECT_EQ(inside->pos(), QPoint(20, 15) + offset);
}

}  // namespace
}  // namespace mapvale::ui
