#include "icon_painter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

#include "glyphs.h"
#include "skin_style.h"

namespace mapvale::skin_painter {

namespace {

// The pin's box for an icon of `size`, on whole pixels; its width is even so it centres.
QRectF PinBox(int size, qreal width_share, qreal top_share) {
    int w = static_cast<int>(std::round(size * width_share));
    w += w % 2;
    const int h = static_cast<int>(std::round(w * 1.4));
    const qreal left = (size - w) / 2.0;
    return QRectF(left, std::round(size * top_share), w, h);
}

void PaintUpdater(QPainter& painter, int size) {
    const qreal margin = size <= 16 ? 0 : std::round(size / 32.0);
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, QColor(0x2B, 0x7A, 0xB0));
    gradient.setColorAt(1, QColor(0x14, 0x87, 0x7C));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    const qreal radius = size * 0.2;
    painter.drawRoundedRect(tile, radius, radius);
    if (size >= 32) {
        // A thin light rim gives the tile an edge on dark panels.
        painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 60), std::max(1.0, size / 64.0)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
    const QColor white(0xFF, 0xFF, 0xFF);
    if (size < 32) {
        DrawGlyph(painter, QStringLiteral("pin"), PinBox(size, 0.56, 0.12), white);
        return;
    }
    DrawGlyph(painter, QStringLiteral("pin"), PinBox(size, 0.40, 0.12), white);
    // A shallow tray under the pin's point: the map comes down into the unit.
    const qreal stroke = std::max(2.0, std::round(size / 18.0));
    QPen pen(white, stroke);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal cx = size / 2.0;
    const qreal base = size * 0.86;
    const qreal half = size * 0.26;
    QPainterPath tray;
    tray.moveTo(cx - half, base - size * 0.1);
    tray.lineTo(cx - half, base);
    tray.lineTo(cx + half, base);
    tray.lineTo(cx + half, base - size * 0.1);
    painter.drawPath(tray);
}

void PaintTray(QPainter& painter, int size) {
    const qreal margin = size <= 16 ? 0 : std::round(size / 32.0);
    const QRectF disc(margin, margin, size - 2 * margin, size - 2 * margin);
    QLinearGradient gradient(disc.topLeft(), disc.bottomRight());
    gradient.setColorAt(0, QColor(0x25, 0xB8, 0xA9));
    gradient.setColorAt(1, QColor(0x1E, 0x45, 0x66));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(disc);
    const QColor white(0xFF, 0xFF, 0xFF);
    if (size < 32) {
        DrawGlyph(painter, QStringLiteral("pin"), PinBox(size, 0.5, 0.14), white);
        return;
    }
    // A circling arrow around the pin: the check that runs in the background.
    const qreal stroke = std::max(2.0, std::round(size / 20.0));
    const QRectF ring = disc.adjusted(size * 0.16, size * 0.16, -size * 0.16, -size * 0.16);
    QPen pen(white, stroke);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int start = 110 * 16;
    const int span = 300 * 16;
    painter.drawArc(ring, start, span);
    // The arrow head at the arc's end (110 + 300 = 410 degrees, i.e. 50 degrees).
    const qreal angle = (110.0 + 300.0) * M_PI / 180.0;
    const QPointF c = ring.center();
    const qreal r = ring.width() / 2;
    const QPointF tip(c.x() + r * std::cos(angle), c.y() - r * std::sin(angle));
    const qreal head = size * 0.09;
    const QPointF along(-std::sin(angle), -std::cos(angle));  // direction of travel
    const QPointF out(std::cos(angle), -std::sin(angle));
    painter.setPen(Qt::NoPen);
    painter.setBrush(white);
    painter.drawPolygon(QPolygonF{tip + along * head * 1.2, tip + out * head - along * head * 0.3,
                                  tip - out * head - along * head * 0.3});
    DrawGlyph(painter, QStringLiteral("pin"), PinBox(size, 0.26, 0.3), white);
}

}  // namespace

QImage PaintIcon(const QString& name, int size) {
    if (name != QLatin1String("updater") && name != QLatin1String("tray")) {
        return {};
    }
    QImage image = BlankImage(size, size);
    QPainter painter;
    BeginPainter(painter, image);
    if (name == QLatin1String("updater")) {
        PaintUpdater(painter, size);
    } else {
        PaintTray(painter, size);
    }
    painter.end();
    return image;
}

}  // namespace mapvale::skin_painter
