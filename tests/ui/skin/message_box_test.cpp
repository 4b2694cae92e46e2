#include "ui/skin/message_box.h"

#include <gmock/gmock.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "ui/wait_for.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui {
namespace {

using mapvale::testing::WaitFor;
using mapvale::testing::WhenModalOpens;

const QString kProgramTitle = QStringLiteral("TSKN_Waymark+");

struct Label {
    QString text;
    int answer;
};

struct ButtonSet {
    MessageBoxButtons buttons;
    std::vector<Label> labels;  // left to right
    int escape_answer;
};

const std::vector<ButtonSet>& AllSets() {
    static const std::vector<ButtonSet> sets = {
        {MessageBoxButtons::kOk, {{"확인", kIdOk}}, kIdOk},
        {MessageBoxButtons::kOkCancel, {{"확인", kIdOk}, {"취소", kIdCancel}}, kIdCancel},
        {MessageBoxButtons::kYesNo, {{"예", kIdYes}, {"아니오", kIdNo}}, kIdNo},
        {MessageBoxButtons::kYesNoCancel,
         {{"예", kIdYes}, {"아니오", kIdNo}, {"취소", kIdCancel}},
         kIdCancel},
    };
    return sets;
}

// The box's buttons as the user sees them, left to right.
std::vector<QPushButton*> ButtonsLeftToRight(QMessageBox* box) {
    std::vector<QPushButton*> buttons;
    for (QAbstractButton* button : box->buttons()) {
        buttons.push_back(qobject_cast<QPushButton*>(button));
    }
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    return buttons;
}

int Show(MessageBoxButtons buttons, QWidget* owner = nullptr) {
    return ShowMessageBox(owner, QStringLiteral("설치를 진행하시겠습니까?"),
                          QStringLiteral("실행 확인"), buttons, MessageBoxIcon::kQuestion,
                          kProgramTitle);
}

TEST(MessageBox, EachSetShowsItsKoreanLabelsInOrderAndEachButtonGivesItsAnswer) {
    for (const ButtonSet& set : AllSets()) {
        for (const Label& pressed : set.labels) {
            SCOPED_TRACE(pressed.text.toStdString());
            std::vector<QString> seen;
            auto watcher = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
                for (QPushButton* button : ButtonsLeftToRight(box)) {
                    seen.push_back(button->text());
                    if (button->text() == pressed.text) {
                        QTest::mouseClick(button, Qt::LeftButton);
                    }
                }
            });
            EXPECT_EQ(Show(set.buttons), pressed.answer);
            std::vector<QString> expected;
            for (const Label& label : set.labels) {
                expected.push_back(label.text);
            }
            EXPECT_EQ(seen, expected);
        }
    }
}

TEST(MessageBox, EnterGivesTheFirstButtonAndEscapeOrClosingGivesCancelElseNoElseOk) {
    for (const ButtonSet& set : AllSets()) {
        SCOPED_TRACE(set.labels.back().text.toStdString());
        {
            auto watcher = WhenModalOpens<QMessageBox>(
                [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
            EXPECT_EQ(Show(set.buttons), set.labels.front().answer);
        }
        {
            auto watcher = WhenModalOpens<QMessageBox>(
                [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
            EXPECT_EQ(Show(set.buttons), set.escape_answer);
        }
        {
            auto watcher = WhenModalOpens<QMessageBox>([](QMessageBox* box) { box->close(); });
            EXPECT_EQ(Show(set.buttons), set.escape_answer);
        }
    }
}

TEST(MessageBox, ShowsQtsStandardIconOfEachKind) {
    const std::pair<MessageBoxIcon, QMessageBox::Icon> kinds[] = {
        {MessageBoxIcon::kNone, QMessageBox::NoIcon},
        {MessageBoxIcon::kInformation, QMessageBox::Information},
        {MessageBoxIcon::kQuestion, QMessageBox::Question},
        {MessageBoxIcon::kWarning, QMessageBox::Warning},
        {MessageBoxIcon::kError, QMessageBox::Critical},
    };
    for (const auto& [ours, qt] : kinds) {
        auto box = BuildMessageBox(nullptr, "x", "y", MessageBoxButtons::kOk, ours, kProgramTitle);
        EXPECT_EQ(box->icon(), qt);
        EXPECT_EQ(box->iconPixmap().isNull(), ours == MessageBoxIcon::kNone);
    }
}

TEST(MessageBox, TextIsPlainLineBreaksKeptAndMarkupShownLiterally) {
    const QString text = QStringLiteral("첫째 줄\n<b>둘째 줄</b>");
    auto box = BuildMessageBox(nullptr, text, "알림", MessageBoxButtons::kOk,
                               MessageBoxIcon::kInformation, kProgramTitle);
    box->show();
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), text);
    // Drawn as two lines, the second with its tags: as rich text it would be one line, narrower.
    const QFontMetrics metrics(label->font());
    EXPECT_GE(label->height(), 2 * metrics.height());
    EXPECT_GE(label->width(), metrics.horizontalAdvance(QStringLiteral("<b>둘째 줄</b>")));
}

TEST(MessageBox, AnEmptyCaptionShowsTheProgramTitleAndNothingIsAppendedToTitles) {
    auto untitled = BuildMessageBox(nullptr, "x", "", MessageBoxButtons::kOk, MessageBoxIcon::kNone,
                                    kProgramTitle);
    auto titled = BuildMessageBox(nullptr, "x", "종료 확인", MessageBoxButtons::kYesNo,
                                  MessageBoxIcon::kQuestion, kProgramTitle);
    untitled->show();
    titled->show();
    EXPECT_EQ(untitled->windowHandle()->title(), kProgramTitle);
    EXPECT_EQ(titled->windowHandle()->title(), QStringLiteral("종료 확인"));
}

TEST(MessageBox, AnOwnerDestroyedWhileTheBoxIsOpenGivesTheEscapeAnswer) {
    auto* owner = new QWidget;
    owner->show();
    QPointer<QMessageBox> seen;
    auto watcher = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        seen = box;
        delete owner;
    });
    EXPECT_EQ(Show(MessageBoxButtons::kYesNo, owner), kIdNo);
    EXPECT_TRUE(seen.isNull());
}

}  // namespace
}  // namespace mapvale::ui
