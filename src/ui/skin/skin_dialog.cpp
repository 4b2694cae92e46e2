#include "ui/skin/skin_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "ui/skin/image_button.h"
#include "ui/skin/skin_image.h"

namespace mapvale::ui {

CSkinDialog::CSkinDialog(QWidget* parent, int background_image)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    if (background_image != 0) {
        SetBackground(background_image);
    }
}

void CSkinDialog::SetBackground(int image, bool resize_to_image) {
    background_ = image;
    const QPixmap pixmap = SkinImage(image);
    if (resize_to_image && !pixmap.isNull()) {
        resize(pixmap.size());
    }
    update();
}

void CSkinDialog::SetRoundedCorners(int diameter) {
    corner_diameter_ = diameter;
    UpdateMask();
}

CImageButton* CSkinDialog::AddButton(int id, int image, int frames, int y, int x, ButtonMode mode) {
    auto* button = new CImageButton(id, this);
    button->SetImage(frames, image);
    button->SetMode(mode);
    button->PlaceButton(y, x);
    connect(button, &CImageButton::command, this, &CSkinDialog::Command);
    return button;
}

void CSkinDialog::CloseWindow() {
    closing_by_program_ = true;
    close();
    closing_by_program_ = false;
}

void CSkinDialog::OnCommand(int) {}

void CSkinDialog::OnCloseRequest() {
    Command(2);
}

void CSkinDialog::Command(int id) {
    OnCommand(id);
    emit commanded(id);
}

void CSkinDialog::paintEvent(QPaintEvent*) {
    if (background_ != 0) {
        QPainter(this).drawPixmap(0, 0, SkinImage(background_));
    }
}

void CSkinDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    UpdateMask();
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Command(1);
                return;
            case Qt::Key_Escape:
                Command(2);
                return;
            default:
                break;
        }
    }
    // Not QDialog's handler: it would close the window on Escape and press default buttons.
    QWidget::keyPressEvent(event);
}

void CSkinDialog::closeEvent(QCloseEvent* event) {
    if (closing_by_program_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    OnCloseRequest();
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InDragArea(event->position().toPoint())) {
        dragging_ = true;
        drag_grip_ = event->globalPosition().toPoint() - pos();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - drag_grip_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

bool CSkinDialog::InDragArea(const QPoint& point) const {
    if (drag_height_ == kDragBody) {
        return rect().contains(point);
    }
    return point.y() >= 0 && point.y() < drag_height_;
}

void CSkinDialog::UpdateMask() {
    if (corner_diameter_ <= 0) {
        clearMask();
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), corner_diameter_ / 2.0,
                           corner_diameter_ / 2.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

}  // namespace mapvale::ui
