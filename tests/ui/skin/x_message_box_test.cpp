#include "ui/skin/x_message_box.h"

#include <gmock/gmock.h>

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/wait_for.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

QPushButton* Button(XMessageBox* box, int answer) {
    return box->findChild<QPushButton*>(QString::number(answer));
}

QLabel* Message(XMessageBox* box) {
    return box->findChild<QLabel*>(QStringLiteral("message"));
}

// The label shows every character of its text: the text, wrapped at the label's width the way the
// label draws it, fits inside the label.
void ExpectNotClipped(QLabel* label) {
    const QRect drawn =
        label->fontMetrics().boundingRect(QRect(0, 0, label->width(), QWIDGETSIZE_MAX),
                                          Qt::TextWordWrap | Qt::TextExpandTabs, label->text());
    EXPECT_LE(drawn.width(), label->width()) << label->text().toStdString();
    EXPECT_LE(drawn.height(), label->height()) << label->text().toStdString();
}

TEST(XMessageBox, TheDownloadedPackageQuestionHasItsTextCaptionLabelsAndIconUnclipped) {
    auto box = BuildDownloadedPackageBox(nullptr);
    box->show();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Orvin Dalmar Waymark+ 알림"));
    EXPECT_TRUE(box->vista_style());
    QLabel* message = Message(box.get());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("최신 버전이 다운로드 되어있습니다."));
    EXPECT_EQ(message->textFormat(), Qt::PlainText);
    // One line, as wide as the font draws it.
    EXPECT_GE(message->width(), message->fontMetrics().horizontalAdvance(message->text()));
    ExpectNotClipped(message);

    const std::pair<int, QString> labels[] = {
        {kIdYes, "재설치"}, {kIdNo, "폴더열기"}, {kIdCancel, "확인"}};
    for (const auto& [answer, label] : labels) {
        QPushButton* button = Button(box.get(), answer);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), label);
        EXPECT_GE(button->width(), button->sizeHint().width());
        EXPECT_GE(button->height(), button->sizeHint().height());
    }
    auto* icon = box->findChild<QLabel*>(QStringLiteral("icon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_TRUE(box->rect().contains(icon->geometry()));
}

TEST(XMessageBox, VistaLookIsAWhiteMessageAreaAboveAGreyBandWithTheButtonsAtItsRight) {
    auto box = BuildDownloadedPackageBox(nullptr);
    box->show();
    const QRect area = box->message_area();
    const QRect band = box->button_band();
    EXPECT_EQ(area.bottom() + 1, band.top());
    EXPECT_EQ(band.bottom(), box->height() - 1);

    const QImage picture = box->grab().toImage();
    EXPECT_EQ(picture.pixelColor(area.left() + 2, area.top() + 2), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(area.right() - 2, area.bottom() - 2), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(band.left() + 2, band.bottom() - 2), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_NE(picture.pixelColor(band.left() + 2, band.top()), QColor(Qt::white));

    QPushButton* yes = Button(box.get(), kIdYes);
    QPushButton* no = Button(box.get(), kIdNo);
    QPushButton* cancel = Button(box.get(), kIdCancel);
    for (QPushButton* button : {yes, no, cancel}) {
        EXPECT_TRUE(band.contains(button->geometry()));
    }
    EXPECT_LT(yes->geometry().right(), no->x());
    EXPECT_LT(no->geometry().right(), cancel->x());
    // Right-aligned: the gap after the last button is smaller than the one before the first.
    EXPECT_LT(band.right() - cancel->geometry().right(), yes->x() - band.left());
    EXPECT_TRUE(area.contains(Message(box.get())->geometry()));
}

TEST(XMessageBox, WithoutTheVistaOptionTheWindowIsOneColourAndTheButtonsAreCentred) {
    XMessageBox box(QStringLiteral("알림"), QStringLiteral("제목"), MessageBoxIcon::kInformation,
                    XMessageBoxParams{});
    box.show();
    EXPECT_FALSE(box.vista_style());
    const QImage picture = box.grab().toImage();
    const QColor window = box.palette().window().color();
    EXPECT_EQ(picture.pixelColor(2, 2), window);
    EXPECT_EQ(picture.pixelColor(2, box.height() - 2), window);
    // Empty captions keep the standard labels.
    EXPECT_EQ(Button(&box, kIdYes)->text(), QStringLiteral("예"));
    EXPECT_EQ(Button(&box, kIdNo)->text(), QStringLiteral("아니오"));
    EXPECT_EQ(Button(&box, kIdCancel)->text(), QStringLiteral("취소"));
    const int left_gap = Button(&box, kIdYes)->x();
    const int right_gap = box.width() - 1 - Button(&box, kIdCancel)->geometry().right();
    EXPECT_LE(std::abs(left_gap - right_gap), 1);
}

TEST(XMessageBox, LongAndMultiLineTextIsPlainWrappedAndNeverClipped) {
    const QString long_line = QStringLiteral("메모리 카드의 남은 용량이 부족합니다. ").repeated(8);
    const QString texts[] = {
        long_line,
        QStringLiteral("첫째 줄\n<b>둘째 줄</b>\n\n넷째 줄"),
        QStringLiteral("주소: https://") + QString(90, 'w') + QStringLiteral(".example/긴경로"),
    };
    for (const QString& text : texts) {
        XMessageBox box(text, QStringLiteral("알림"), MessageBoxIcon::kWarning,
                        XMessageBoxParams{});
        box.show();
        QLabel* message = Message(&box);
        EXPECT_EQ(message->text(), text);
        EXPECT_EQ(message->textFormat(), Qt::PlainText);
        EXPECT_TRUE(box.message_area().contains(message->geometry()));
        ExpectNotClipped(message);
    }
    XMessageBox wide(long_line, QStringLiteral("알림"), MessageBoxIcon::kNone, XMessageBoxParams{});
    EXPECT_LT(Message(&wide)->width(), Message(&wide)->fontMetrics().horizontalAdvance(long_line));
}

TEST(XMessageBox, EachButtonGivesItsAnswerAndEnterEscapeAndClosingGiveYesCancelCancel) {
    const std::pair<std::function<void(XMessageBox*)>, int> cases[] = {
        {[](XMessageBox* box) { QTest::mouseClick(Button(box, kIdYes), Qt::LeftButton); }, kIdYes},
        {[](XMessageBox* box) { QTest::mouseClick(Button(box, kIdNo), Qt::LeftButton); }, kIdNo},
        {[](XMessageBox* box) { QTest::mouseClick(Button(box, kIdCancel), Qt::LeftButton); },
         kIdCancel},
        {[](XMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, kIdYes},
        {[](XMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, kIdCancel},
        {[](XMessageBox* box) { box->close(); }, kIdCancel},
    };
    for (const auto& [act, answer] : cases) {
        auto watcher = WhenModalOpens<XMessageBox>(act);
        EXPECT_EQ(AskAboutDownloadedPackage(nullptr), answer);
    }
}

TEST(XMessageBox, WithoutAnOwnerTheOpenModalWindowElseTheActiveWindowIsTheParent) {
    QWidget main_window;
    main_window.show();
    main_window.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &main_window; }));
    EXPECT_EQ(BuildDownloadedPackageBox(nullptr)->parentWidget(), &main_window);

    QDialog settings(&main_window);
    settings.setModal(true);
    settings.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &settings);
    QWidget* parent = nullptr;
    auto watcher = WhenModalOpens<XMessageBox>([&](XMessageBox* box) {
        parent = box->parentWidget();
        box->close();
    });
    EXPECT_EQ(AskAboutDownloadedPackage(nullptr), kIdCancel);
    EXPECT_EQ(parent, &settings);

    // A named owner wins over the open modal window.
    QWidget other;
    EXPECT_EQ(BuildDownloadedPackageBox(&other)->parentWidget(), &other);
}

TEST(XMessageBox, AnOwnerDestroyedWhileTheBoxIsOpenGivesCancel) {
    auto* owner = new QWidget;
    owner->show();
    auto watcher = WhenModalOpens<XMessageBox>([&](XMessageBox*) { delete owner; });
    EXPECT_EQ(AskAboutDownloadedPackage(owner), kIdCancel);
}

}  // namespace
}  // namespace mapvale::ui
