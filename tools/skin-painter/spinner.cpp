#include "spinner.h"

#include <QConicalGradient>
#include <QPainter>

#include "skin_style.h"

namespace mapvale::skin_painter {

namespace {

// Premultiplied colour over white where the paint is solid enough, transparent elsewhere.
QImage OverWhite(const QImage& painted) {
    QImage out(painted.size(), QImage::Format_ARGB32);
    for (int y = 0; y < painted.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < painted.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 48) {
                row[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            row[x] = qRgb(qRed(in[x]) + 255 - a, qGreen(in[x]) + 255 - a, qBlue(in[x]) + 255 - a);
        }
    }
    return out;
}

}  // namespace

QList<GifFrame> PaintSpinner(int size, int count, int delay_ms) {
    QList<GifFrame> frames;
    const qreal stroke = size / 12.0;
    const QRectF ring(stroke, stroke, size - 2 * stroke, size - 2 * stroke);
    for (int i = 0; i < count; ++i) {
        QImage image = BlankImage(size, size);
        QPainter painter;
        BeginPainter(painter, image);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0xDC, 0xE6, 0xEE), stroke));
        painter.drawEllipse(ring);
        // The arc's head leads clockwise; its tail fades from navy into teal.
        const qreal head = 90.0 - 360.0 * i / count;
        QConicalGradient gradient(ring.center(), head);
        // The head's round cap reaches a little past the head, where the gradient wraps to 1.
        gradient.setColorAt(0, colours::kTeal);
        gradient.setColorAt(0.3, colours::kNavyLight);
        gradient.setColorAt(0.9, colours::kNavyLight);
        gradient.setColorAt(0.96, colours::kTeal);
        gradient.setColorAt(1, colours::kTeal);
        QPen pen(QBrush(gradient), stroke);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.drawArc(ring, static_cast<int>(head * 16), 100 * 16);
        // A small dot in the middle keeps the eye on the centre.
        painter.setPen(Qt::NoPen);
        painter.setBrush(colours::kTeal);
        painter.drawEllipse(ring.center(), stroke * 0.6, stroke * 0.6);
        painter.end();
        frames.append({OverWhite(image), delay_ms});
    }
    return frames;
}

QList<GifFrame> SolidFrames(int size, QRgb first, QRgb second, int delay_ms) {
    QList<GifFrame> frames;
    for (const QRgb colour : {first, second}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(colour);
        frames.append({image, delay_ms});
    }
    return frames;
}

}  // namespace mapvale::skin_painter
