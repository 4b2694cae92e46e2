#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace mapvale::skin_painter {

// The one palette of the skin: deep blue and teal on light panels.
namespace colours {
inline const QColor kNavy{0x1E, 0x45, 0x66};
inline const QColor kNavyDark{0x13, 0x30, 0x4A};
inline const QColor kNavyLight{0x2C, 0x5A, 0x80};
inline const QColor kTeal{0x1F, 0xB5, 0xA6};
inline const QColor kPanel{0xF4, 0xF7, 0xFA};
inline const QColor kPanelLow{0xE6, 0xED, 0xF3};
inline const QColor kBorder{0x9F, 0xB3, 0xC4};
inline const QColor kSlotBorder{0xB7, 0xC5, 0xD1};
inline const QColor kEdit{0xF7, 0xF7, 0xF7};  // the edits' own background
inline const QColor kInk{0x0F, 0x2A, 0x44};
}  // namespace colours

// Button frames in strip order.
enum class FrameState { kNormal, kPressed, kHover, kDisabled, kDisabledOn };
FrameState StateOfFrame(int frame);

// How one frame of a button of a look is coloured: a vertical gradient, its border and the colour
// of its caption or symbol. Looks: blue, teal, navy, red, light.
struct ButtonColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor ink;
};
ButtonColours ColoursOf(const QString& look, FrameState state);

// A blank image of the size, transparent, ready for a painter.
QImage BlankImage(int width, int height);

// Antialiased painter on the image.
void BeginPainter(QPainter& painter, QImage& image);

// A rounded rectangle filled with a top-to-bottom gradient and drawn with a 1-pixel border
// inside the rectangle.
void FillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& top,
                 const QColor& bottom, const QColor& border);

// NanumGothic bold at the largest pixel size up to `preferred` whose caption fits the box, so a
// caption is never clipped.
QFont FittedFont(const QString& text, int preferred, const QSizeF& box, bool bold = true);

// The caption centred in the box (whole-pixel baseline, so it stays crisp).
void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                     const QColor& colour);

}  // namespace mapvale::skin_painter
