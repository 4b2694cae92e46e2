#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "ui/skin/button_frame.h"

namespace mapvale::ui {

class CButtonGroup;

// A button drawn from a strip of frames of a skin image. Its id is its object name; releasing
// the mouse over it after pressing it there emits command(id), after a check button toggled or a
// radio button switched itself on in its group.
class CImageButton : public QWidget {
    Q_OBJECT

public:
    // SetGroupCheck's index that means the button itself.
    static constexpr int kSelf = 1000000000;

    CImageButton(int id, QWidget* parent);
    ~CImageButton() override;

    int Id() const { return id_; }

    // The strip of skin image `image` cut into `frame_count` frames; the button takes the frame's
    // size. A count of 0, or above the image's width, means one frame.
    void SetImage(int frame_count, int image);
    void SetImage(int frame_count, const QPixmap& strip);
    int FrameCount() const { return frame_count_; }
    QSize FrameSize() const { return frame_size_; }

    // Moves the button to (x, y) of its parent's client area, corrected by half the difference
    // between the parent's window and client sizes (nothing for a frameless parent).
    void PlaceButton(int y, int x);

    void SetMode(ButtonMode mode);
    ButtonMode Mode() const { return mode_; }
    void SetCheck(bool on);
    bool GetCheck() const { return on_; }

    // Radio groups: switch the button at `index` of this button's group on and the others off
    // (kSelf: this button). A button outside any group is a group of one.
    void SetGroupCheck(int index);
    int GetGroupCheck() const;
    CButtonGroup* Group() const { return group_; }

    // What the button shows now.
    ButtonLook Look() const;
    int CurrentFrame() const { return ChooseButtonFrame(Look(), frame_count_); }
    bool IsHovered() const { return hover_; }

    // Draws the pressed frame while set, whatever the mouse does: the sign-in screen's brand
    // tabs show the selected one this way. Each window keeps its own tabs' state.
    void SetDrawnPressed(bool on);
    bool DrawnPressed() const { return drawn_pressed_; }

signals:
    void command(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CButtonGroup;

    void SetHover(bool hover);
    void CheckCursorStillOver();

    int id_;
    QPixmap strip_;
    int frame_count_ = 1;
    QSize frame_size_;
    ButtonMode mode_ = ButtonMode::kPush;
    bool on_ = false;
    bool pressed_ = false;
    bool hover_ = false;
    bool drawn_pressed_ = false;
    QTimer hover_check_;
    CButtonGroup* group_ = nullptr;
};

}  // namespace mapvale::ui
