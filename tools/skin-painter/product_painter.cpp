#include "product_painter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyphs.h"

namespace mapvale::skin_painter {

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// The unit: a dark bezel on a small stand, its screen at `screen`.
QImage PaintUnit(bool active, QRectF* screen) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(0xFF, 0xFF, 0xFF));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor bezel = active ? QColor(0x2B, 0x33, 0x3D) : QColor(0xA9, 0xB0, 0xB8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bezel.lighter(120));
    painter.drawRoundedRect(QRectF(88, 118, 24, 16), 3, 3);
    painter.drawRoundedRect(QRectF(64, 130, 72, 8), 4, 4);
    painter.setBrush(bezel);
    painter.drawRoundedRect(QRectF(22, 14, 156, 108), 10, 10);
    *screen = QRectF(32, 24, 136, 88);
    return image;
}

}  // namespace

QImage PaintDefaultProduct() {
    QRectF screen;
    QImage image = PaintUnit(true, &screen);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient land(screen.topLeft(), screen.bottomRight());
    land.setColorAt(0, QColor(0xDF, 0xF0, 0xE3));
    land.setColorAt(1, QColor(0xC8, 0xE2, 0xEE));
    painter.setPen(Qt::NoPen);
    painter.setBrush(land);
    painter.drawRect(screen);
    // Roads: a main road across and a side road up to the destination.
    painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 7, Qt::SolidLine, Qt::RoundCap));
    QPainterPath road;
    road.moveTo(screen.left(), screen.bottom() - 22);
    road.cubicTo(screen.left() + 40, screen.bottom() - 30, screen.left() + 70, screen.top() + 40,
                 screen.right(), screen.top() + 30);
    painter.drawPath(road);
    painter.drawLine(QPointF(screen.left() + 88, screen.bottom()),
                     QPointF(screen.left() + 96, screen.top() + 46));
    painter.setPen(QPen(QColor(0x1F, 0xB5, 0xA6), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(road);
    DrawGlyph(painter, QStringLiteral("pin"), QRectF(screen.left() + 86, screen.top() + 8, 22, 32),
              QColor(0xD0, 0x45, 0x3A));
    return image;
}

QImage PaintNoSelection() {
    QRectF screen;
    QImage image = PaintUnit(false, &screen);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xEE, 0xF1, 0xF4));
    painter.drawRect(screen);
    DrawGlyph(painter, QStringLiteral("help"),
              QRectF(screen.center().x() - 24, screen.center().y() - 24, 48, 48),
              QColor(0xA9, 0xB0, 0xB8));
    return image;
}

}  // namespace mapvale::skin_painter
