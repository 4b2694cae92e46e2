#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <memory>

#include "ui/skin/message_box.h"

class QLabel;
class QPushButton;

namespace mapvale::ui {

// Options bit: draw the message on a white area above a grey button band.
inline constexpr unsigned kXMessageBoxVistaStyle = 0x2;

// One call's parameters; a default-constructed record is the reset state.
struct XMessageBoxParams {
    // Null: the open modal window, else the active window (the box is modal over whichever).
    QWidget* owner = nullptr;
    unsigned options = 0;
    // Replace the labels "예", "아니오" and "취소"; empty keeps the standard label.
    QString yes_caption;
    QString no_caption;
    QString cancel_caption;
};

// A message box with Yes, No and Cancel buttons that the caller may relabel, built in code. Its
// answers are kIdYes, kIdNo and kIdCancel; Escape and closing the window answer kIdCancel. Each
// button's object name is its answer ("6", "7", "2"). The text is plain text, and the box is sized
// from the font so that no line and no label is clipped.
class XMessageBox : public QDialog {
    Q_OBJECT

public:
    XMessageBox(const QString& text, const QString& caption, MessageBoxIcon icon,
                const XMessageBoxParams& params);

    bool vista_style() const { return vista_style_; }
    // The white message area and the grey band below it (the whole window is grey without the
    // Vista option, and the band has no separator then).
    QRect message_area() const { return message_area_; }
    QRect button_band() const { return button_band_; }

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* AddButton(int answer, const QString& caption, const char16_t* standard_label);
    void Arrange();

    bool vista_style_ = false;
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    QPushButton* buttons_[3] = {};
    QRect message_area_;
    QRect button_band_;
};

// The window XMessageBox uses when the caller names none: the open modal window, else the active
// window, else none.
QWidget* DefaultMessageBoxOwner();

// Shows the box modally and returns the answer. A box destroyed while open answers kIdCancel.
int ShowXMessageBox(const QString& text, const QString& caption, MessageBoxIcon icon,
                    const XMessageBoxParams& params);

// The program's one question in this box: the newest package is already downloaded; install it
// again ("재설치", kIdYes), open the download folder ("폴더열기", kIdNo) or leave it ("확인",
// kIdCancel). The builder is for pictures of the box; the box is a child of its owner.
std::unique_ptr<XMessageBox> BuildDownloadedPackageBox(QWidget* owner);
int AskAboutDownloadedPackage(QWidget* owner);

}  // namespace mapvale::ui
