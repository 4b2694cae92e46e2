#pragma once

#include <QDialog>
#include <QPoint>

#include "ui/skin/button_frame.h"

namespace mapvale::ui {

class CImageButton;

// The base of every skinned window: no system frame, a skin image as background, controls at
// fixed pixel places (no layouts), and a drag area the user moves the window by. Dragging is
// done by following the mouse, which also works where no window manager runs (Xvfb).
//
// Keys and the close box become commands like the buttons': Enter is command 1 and Escape
// command 2, so a window that does not handle 1 is not closed by Enter; a close request from the
// window manager goes to OnCloseRequest (command 2 unless overridden). Windows end themselves
// with done() or CloseWindow().
class CSkinDialog : public QDialog {
    Q_OBJECT

public:
    // SetDragArea's value for "anywhere on the body".
    static constexpr int kDragBody = -1;

    explicit CSkinDialog(QWidget* parent, int background_image = 0);

    // Paints skin image `image` from the top left corner; with `resize` the window takes its
    // size.
    void SetBackground(int image, bool resize = true);
    int Background() const { return background_; }
    // The top `height` pixels move the window (kDragBody: the whole body; 0: nothing).
    void SetDragArea(int height) { drag_height_ = height; }
    // Rounds the window's corners with ellipses of `diameter` pixels (0: square corners).
    void SetRoundedCorners(int diameter);

    // A button of skin image `image` cut into `frames` frames at (x, y) whose clicks arrive at
    // OnCommand.
    CImageButton* AddButton(int id, int image, int frames, int y, int x,
                            ButtonMode mode = ButtonMode::kPush);

    // Ends the window as a close from the program, which OnCloseRequest does not see.
    void CloseWindow();

signals:
    // Every command, after OnCommand handled it; lets owners and tests follow along.
    void commanded(int id);

protected:
    // Commands of buttons, Enter (1) and Escape (2). Nothing by default.
    virtual void OnCommand(int id);
    // The window manager asked to close the window.
    virtual void OnCloseRequest();

    void Command(int id);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool InDragArea(const QPoint& point) const;
    void UpdateMask();

    int background_ = 0;
    int drag_height_ = 0;
    int corner_diameter_ = 0;
    bool dragging_ = false;
    QPoint drag_grip_;
    bool closing_by_program_ = false;
};

}  // namespace mapvale::ui
