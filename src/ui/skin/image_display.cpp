#include "ui/skin/image_display.h"

#include <QPainter>

#include "ui/skin/skin_image.h"

namespace mapvale::ui {

CImageDisplay::CImageDisplay(int id, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(id));
}

void CImageDisplay::SetImage(int image) {
    SetPixmap(SkinImage(image));
}

void CImageDisplay::SetPixmap(const QPixmap& pixmap) {
    pixmap_ = pixmap;
    update();
}

void CImageDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawPixmap(0, 0, pixmap_);
}

}  // namespace mapvale::ui
