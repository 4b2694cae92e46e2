#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace mapvale::testing {

// A strip of `frames` opaque frames of `width` x `height`, frame i filled with FrameColour(i).
inline QColor FrameColour(int frame) {
    return QColor::fromHsv((frame * 67) % 360, 200, 220);
}

inline QPixmap SolidStrip(int frames, int width = 12, int height = 9) {
    QImage strip(frames * width, height, QImage::Format_ARGB32);
    QPainter painter(&strip);
    for (int i = 0; i < frames; ++i) {
        painter.fillRect(i * width, 0, width, height, FrameColour(i));
    }
    painter.end();
    return QPixmap::fromImage(strip);
}

// What a widget paints by itself, over transparency (no window background), so pictures with
// alpha compare exactly against what the test paints the same way.
inline QImage PaintedImage(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

}  // namespace mapvale::testing
