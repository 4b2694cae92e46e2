#include "skin_style.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

namespace mapvale::skin_painter {

FrameState StateOfFrame(int frame) {
    switch (frame) {
        case 1:
            return FrameState::kPressed;
        case 2:
            return FrameState::kHover;
        case 3:
            return FrameState::kDisabled;
        case 4:
            return FrameState::kDisabledOn;
        default:
            return FrameState::kNormal;
    }
}

ButtonColours ColoursOf(const QString& look, FrameState state) {
    const QColor white(0xFF, 0xFF, 0xFF);
    if (state == FrameState::kDisabled || state == FrameState::kDisabledOn) {
        if (look == QLatin1String("light")) {
            return {QColor(0xF0, 0xF2, 0xF4), QColor(0xE4, 0xE8, 0xEC), QColor(0xC8, 0xD0, 0xD7),
                    QColor(0xB0, 0xB8, 0xBF)};
        }
        return {QColor(0xDD, 0xE2, 0xE7), QColor(0xC9, 0xD0, 0xD7), QColor(0xAE, 0xB8, 0xC1),
                QColor(0x8C, 0x98, 0xA3)};
    }
    struct Scheme {
        QColor normal_top, normal_bottom, pressed_top, pressed_bottom, hover_top, hover_bottom,
            border, ink;
    };
    Scheme s;
    if (look == QLatin1String("teal")) {
        s = {QColor(0x25, 0xB8, 0xA9), QColor(0x14, 0x87, 0x7C),
             QColor(0x11, 0x76, 0x6C), QColor(0x0C, 0x5A, 0x53),
             QColor(0x3D, 0xCE, 0xBF), QColor(0x1A, 0x9E, 0x91),
             QColor(0x0F, 0x6A, 0x61), white};
    } else if (look == QLatin1String("navy")) {
        s = {colours::kNavyLight,      colours::kNavy,
             QColor(0x12, 0x30, 0x4A), QColor(0x0E, 0x26, 0x3B),
             QColor(0x3D, 0x75, 0xA3), QColor(0x2A, 0x5B, 0x84),
             QColor(0x16, 0x36, 0x51), white};
    } else if (look == QLatin1String("red")) {
        s = {QColor(0xE0, 0x6A, 0x5A), QColor(0xB8, 0x40, 0x2F),
             QColor(0xA3, 0x35, 0x26), QColor(0x86, 0x2A, 0x1E),
             QColor(0xEC, 0x84, 0x75), QColor(0xCC, 0x50, 0x3E),
             QColor(0x8E, 0x2E, 0x21), white};
    } else if (look == QLatin1String("light")) {
        s = {QColor(0xF7, 0xFA, 0xFC), QColor(0xDD, 0xE6, 0xED),
             QColor(0xC9, 0xD8, 0xE4), QColor(0xB7, 0xCB, 0xDA),
             QColor(0xEC, 0xF6, 0xFC), QColor(0xD2, 0xE8, 0xF4),
             colours::kBorder,         colours::kNavy};
    } else {  // blue
        s = {QColor(0x34, 0x8C, 0xC8), QColor(0x1F, 0x63, 0x91),
             QColor(0x1A, 0x55, 0x80), QColor(0x15, 0x3F, 0x61),
             QColor(0x4C, 0xA4, 0xDD), QColor(0x2B, 0x7A, 0xB0),
             QColor(0x17, 0x4D, 0x73), white};
    }
    switch (state) {
        case FrameState::kPressed:
            return {s.pressed_top, s.pressed_bottom, s.border, s.ink};
        case FrameState::kHover:
            return {s.hover_top, s.hover_bottom,
                    look == QLatin1String("light") ? QColor(0x1F, 0x9E, 0x91) : s.border, s.ink};
        default:
            return {s.normal_top, s.normal_bottom, s.border, s.ink};
    }
}

QImage BlankImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void BeginPainter(QPainter& painter, QImage& image) {
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void FillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& top,
                 const QColor& bottom, const QColor& border) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(border);
    painter.drawRoundedRect(rect, radius, radius);
    painter.setBrush(gradient);
    painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), std::max<qreal>(radius - 1, 0),
                            std::max<qreal>(radius - 1, 0));
    painter.restore();
}

QFont FittedFont(const QString& text, int preferred, const QSizeF& box, bool bold) {
    QFont font(QStringLiteral("NanumGothic"));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    for (int size = preferred; size > 6; --size) {
        font.setPixelSize(size);
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(text) <= box.width() &&
            metrics.ascent() + metrics.descent() <= box.height() + 2) {
            return font;
        }
    }
    font.setPixelSize(6);
    return font;
}

void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                     const QColor& colour) {
    const QFontMetricsF metrics(font);
    // Centre the ink of the glyphs rather than the line box, which has room for descenders that
    // Korean captions do not use.
    const QRectF ink = metrics.tightBoundingRect(text);
    const qreal x = std::round(box.left() + (box.width() - metrics.horizontalAdvance(text)) / 2);
    const qreal baseline = std::round(box.top() + (box.height() - ink.height()) / 2 - ink.top());
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPointF(x, baseline), text);
    painter.restore();
}

}  // namespace mapvale::skin_painter
