#include "ui/skin/product_image.h"

#include <QPainter>

namespace mapvale::ui {

CProductImage::CProductImage(int id, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(id));
}

bool CProductImage::SetPicture(const QString& file) {
    QImage picture(file);
    picture_ = picture;
    update();
    return !picture.isNull();
}

void CProductImage::Clear() {
    picture_ = QImage();
    update();
}

void CProductImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (picture_.isNull()) {
        return;
    }
    const QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                       fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture_);
}

}  // namespace mapvale::ui
