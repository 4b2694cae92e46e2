#include "ui/skin/image_combo.h"

#include <QCursor>
#include <QEvent>
#include <QPainter>

#include "ui/skin/skin_image.h"

namespace mapvale::ui {

namespace {
constexpr int kTextInset = 4;
}  // namespace

CImageCombo::CImageCombo(int id, QWidget* parent) : QComboBox(parent) {
    setObjectName(QString::number(id));
    setMouseTracking(true);
    hover_check_.setInterval(10);
    connect(&hover_check_, &QTimer::timeout, this, [this] {
        if (!isVisible() || !rect().contains(mapFromGlobal(QCursor::pos()))) {
            SetHover(false);
        }
    });
}

int CImageCombo::ArrowFrame() const {
    if (!isEnabled()) {
        return 3;
    }
    if (open_) {
        return 1;
    }
    return hover_ ? 2 : 0;
}

void CImageCombo::showPopup() {
    open_ = true;
    update();
    QComboBox::showPopup();
}

void CImageCombo::hidePopup() {
    QComboBox::hidePopup();
    open_ = false;
    update();
}

void CImageCombo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect();
    painter.fillRect(box, Qt::white);
    // A sunken edge: dark above and left, light below and right, two pixels deep.
    const QColor outer_dark(160, 160, 160), inner_dark(105, 105, 105);
    const QColor outer_light(255, 255, 255), inner_light(227, 227, 227);
    auto edge = [&painter](const QRect& r, const QColor& top_left, const QColor& bottom_right) {
        painter.setPen(top_left);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottom_right);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    edge(box, outer_dark, outer_light);
    edge(box.adjusted(1, 1, -1, -1), inner_dark, inner_light);

    const QPixmap strip = SkinImage(kArrowImage);
    const int arrow_width = strip.isNull() ? 0 : strip.width() / kArrowFrames;
    const QRect inside = box.adjusted(2, 2, -2, -2);
    if (!strip.isNull()) {
        const QPoint at(inside.right() + 1 - arrow_width,
                        inside.top() + (inside.height() - strip.height()) / 2);
        painter.drawPixmap(at, strip,
                           QRect(ArrowFrame() * arrow_width, 0, arrow_width, strip.height()));
    }
    const QRect text_area = inside.adjusted(kTextInset, 0, -arrow_width - kTextInset, 0);
    painter.setPen(isEnabled() ? QColor(0, 0, 0) : QColor(128, 128, 128));
    painter.setFont(font());
    const QString text = fontMetrics().elidedText(currentText(), Qt::ElideRight, text_area.width());
    painter.drawText(text_area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void CImageCombo::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        SetHover(true);
    }
    QComboBox::enterEvent(event);
}

void CImageCombo::leaveEvent(QEvent* event) {
    SetHover(false);
    QComboBox::leaveEvent(event);
}

void CImageCombo::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        SetHover(false);
    }
    QComboBox::changeEvent(event);
}

void CImageCombo::SetHover(bool hover) {
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

}  // namespace mapvale::ui
