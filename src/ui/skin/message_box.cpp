#include "ui/skin/message_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QWidget>
#include <span>

namespace mapvale::ui {

namespace {
class WindowsButtonOrder : public QProxyStyle {
public:
    WindowsButtonOrder() : QProxyStyle(QApplication::style()->name()) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* result) const override {
        if (hint == SH_DialogButtonLayout) {
            return QDialogButtonBox::WinLayout;
        }
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, result);
    }
};
}  // namespace

namespace {

struct ButtonKind {
    QMessageBox::StandardButton qt;
    int answer;
    const char16_t* label;
};

constexpr ButtonKind kOk{QMessageBox::Ok, kIdOk, u"확인"};
constexpr ButtonKind kCancel{QMessageBox::Cancel, kIdCancel, u"취소"};
constexpr ButtonKind kYes{QMessageBox::Yes, kIdYes, u"예"};
constexpr ButtonKind kNo{QMessageBox::No, kIdNo, u"아니오"};

std::span<const ButtonKind> ButtonsOf(MessageBoxButtons buttons) {
    static constexpr ButtonKind ok[] = {kOk};
    static constexpr ButtonKind ok_cancel[] = {kOk, kCancel};
    static constexpr ButtonKind yes_no[] = {kYes, kNo};
    static constexpr ButtonKind yes_no_cancel[] = {kYes, kNo, kCancel};
    switch (buttons) {
        case MessageBoxButtons::kOk:
            return ok;
        case MessageBoxButtons::kOkCancel:
            return ok_cancel;
        case MessageBoxButtons::kYesNo:
            return yes_no;
        case MessageBoxButtons::kYesNoCancel:
            return yes_no_cancel;
    }
    return ok;
}

QMessageBox::Icon ToQtIcon(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::kNone:
            return QMessageBox::NoIcon;
        case MessageBoxIcon::kInformation:
            return QMessageBox::Information;
        case MessageBoxIcon::kQuestion:
            return QMessageBox::Question;
        case MessageBoxIcon::kWarning:
            return QMessageBox::Warning;
        case MessageBoxIcon::kError:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int EscapeAnswer(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::kOk:
            return kIdOk;
        case MessageBoxButtons::kYesNo:
            return kIdNo;
        case MessageBoxButtons::kOkCancel:
        case MessageBoxButtons::kYesNoCancel:
            return kIdCancel;
    }
    return kIdCancel;
}

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const QString& text,
                                             const QString& caption, MessageBoxButtons buttons,
                                             MessageBoxIcon icon, const QString& program_title) {
    auto box = std::make_unique<QMessageBox>(owner);
    // The desktop's theme would reorder the buttons and put pictures on them; these boxes keep
    // the order their texts were written for, wherever they run.
    auto* look = new WindowsButtonOrder();
    look->setParent(box.get());
    if (auto* band = box->findChild<QDialogButtonBox*>()) {
        band->setStyle(look);  // a widget's style does not pass on to its children
    }
    box->setWindowTitle(caption.isEmpty() ? program_title : caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(ToQtIcon(icon));
    const int escape = EscapeAnswer(buttons);
    bool first = true;
    for (const ButtonKind& kind : ButtonsOf(buttons)) {
        QPushButton* button = box->addButton(kind.qt);
        button->setText(QString::fromUtf16(kind.label));
        button->setObjectName(QString::number(kind.answer));
        if (first) {
            box->setDefaultButton(kind.qt);
            first = false;
        }
        if (kind.answer == escape) {
            box->setEscapeButton(button);
        }
    }
    return box;
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageBoxButtons buttons, MessageBoxIcon icon, const QString& program_title) {
    std::unique_ptr<QMessageBox> box =
        BuildMessageBox(owner, text, caption, buttons, icon, program_title);
    QPointer<QMessageBox> alive(box.get());
    box->exec();
    if (alive.isNull()) {
        // The owner took the box with it; the owner's destructor already freed it.
        (void)box.release();
        return EscapeAnswer(buttons);
    }
    for (const ButtonKind& kind : ButtonsOf(buttons)) {
        if (box->clickedButton() == box->button(kind.qt)) {
            return kind.answer;
        }
    }
    return EscapeAnswer(buttons);
}

}  // namespace mapvale::ui
