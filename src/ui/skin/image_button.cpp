#include "ui/skin/image_button.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/skin/button_group.h"
#include "ui/skin/frame_offset.h"
#include "ui/skin/skin_image.h"

namespace mapvale::ui {

CImageButton::CImageButton(int id, QWidget* parent) : QWidget(parent), id_(id) {
    setObjectName(QString::number(id));
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    // The frame covers the whole button: nothing to erase first, so nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    hover_check_.setInterval(50);
    connect(&hover_check_, &QTimer::timeout, this, &CImageButton::CheckCursorStillOver);
}

CImageButton::~CImageButton() {
    if (group_ != nullptr) {
        group_->Remove(this);
    }
}

void CImageButton::SetImage(int frame_count, int image) {
    SetImage(frame_count, SkinImage(image));
}

void CImageButton::SetImage(int frame_count, const QPixmap& strip) {
    strip_ = strip;
    const int width = strip.width();
    frame_count_ = (frame_count <= 0 || frame_count > std::max(width, 1)) ? 1 : frame_count;
    frame_size_ = QSize(width / frame_count_, strip.height());
    resize(frame_size_);
    update();
}

void CImageButton::PlaceButton(int y, int x) {
    const QPoint offset = parentWidget() ? FrameOffset(parentWidget()) : QPoint();
    setGeometry(QRect(QPoint(x, y) + offset, frame_size_));
}

void CImageButton::SetMode(ButtonMode mode) {
    mode_ = mode;
    update();
}

void CImageButton::SetCheck(bool on) {
    if (on_ != on) {
        on_ = on;
        update();
    }
}

void CImageButton::SetGroupCheck(int index) {
    if (group_ == nullptr) {
        SetCheck(index == kSelf || index == 0);
        return;
    }
    group_->Check(index == kSelf ? group_->IndexOf(this) : index);
}

int CImageButton::GetGroupCheck() const {
    if (group_ == nullptr) {
        return on_ ? 0 : -1;
    }
    return group_->Checked();
}

ButtonLook CImageButton::Look() const {
    ButtonLook look;
    look.mode = mode_;
    look.on = on_;
    look.pressed = pressed_;
    look.hover = hover_;
    look.enabled = isEnabled();
    look.tab_pressed = drawn_pressed_;
    return look;
}

void CImageButton::SetDrawnPressed(bool on) {
    if (drawn_pressed_ != on) {
        drawn_pressed_ = on;
        update();
    }
}

void CImageButton::paintEvent(QPaintEvent*) {
    if (strip_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect source(QPoint(CurrentFrame() * frame_size_.width(), 0), frame_size_);
    painter.drawPixmap(QPoint(0, 0), strip_, source);
}

void CImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = true;
    update();
}

void CImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click is a second press, not something else.
    mousePressEvent(event);
}

void CImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    const bool over = rect().contains(event->position().toPoint());
    update();
    if (!over || !isEnabled()) {
        return;
    }
    if (mode_ == ButtonMode::kRadio) {
        SetGroupCheck(kSelf);
    } else if (mode_ == ButtonMode::kCheck) {
        SetCheck(!on_);
    }
    emit command(id_);
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        SetHover(true);
    }
}

void CImageButton::enterEvent(QEnterEvent*) {
    if (isEnabled()) {
        SetHover(true);
    }
}

void CImageButton::leaveEvent(QEvent*) {
    SetHover(false);
}

void CImageButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            pressed_ = false;
            SetHover(false);
        }
        update();
    }
    QWidget::changeEvent(event);
}

void CImageButton::SetHover(bool hover) {
    if (hover_ == hover) {
        return;
    }
    hover_ = hover;
    if (hover) {
        hover_check_.start();
    } else {
        hover_check_.stop();
    }
    update();
}

void CImageButton::CheckCursorStillOver() {
    // A leave event can go missing (a window hidden under the mouse, a grab elsewhere); the
    // periodic check ends the hover look anyway.
    if (!isVisible() || !rect().contains(mapFromGlobal(QCursor::pos()))) {
        SetHover(false);
    }
}

}  // namespace mapvale::ui
