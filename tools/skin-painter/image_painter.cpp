#include "image_painter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "glyphs.h"
#include "skin_style.h"

namespace mapvale::skin_painter {

namespace {

constexpr int kTitleBandDefault = 40;
const QString kTitle = QStringLiteral("Orvin Dalmar Waymark+");

// The caption or symbol of a button frame sits one pixel lower while pressed, as if pushed in.
qreal PressOffset(FrameState state) {
    return state == FrameState::kPressed ? 1 : 0;
}

QRectF FrameRect(const ImageEntry& entry, int frame) {
    return QRectF(frame * entry.FrameWidth(), 0, entry.FrameWidth(), entry.height);
}

qreal ButtonRadius(qreal height) {
    return std::clamp<qreal>(height / 6, 3, 6);
}

void PaintButton(QPainter& painter, const ImageEntry& entry) {
    for (int frame = 0; frame < entry.frames; ++frame) {
        const FrameState state = StateOfFrame(frame);
        const ButtonColours c = ColoursOf(entry.look, state);
        const QRectF rect = FrameRect(entry, frame).adjusted(0.5, 0.5, -0.5, -0.5);
        FillRounded(painter, rect, ButtonRadius(entry.height), c.top, c.bottom, c.border);
        const QRectF text_box = rect.adjusted(6, 2, -6, -2).translated(0, PressOffset(state));
        const int preferred = std::clamp(entry.height / 2 + 2, 11, 16);
        DrawCentredText(painter, text_box, entry.subject,
                        FittedFont(entry.subject, preferred, text_box.size()), c.ink);
    }
}

bool PaintGlyphButton(QPainter& painter, const ImageEntry& entry) {
    for (int frame = 0; frame < entry.frames; ++frame) {
        const FrameState state = StateOfFrame(frame);
        ButtonColours c = ColoursOf(entry.look, state);
        // A close button on a dark caption warns in red under the mouse.
        if (entry.subject == QLatin1String("close") && entry.look == QLatin1String("navy") &&
            state == FrameState::kHover) {
            c = ColoursOf(QStringLiteral("red"), FrameState::kHover);
        }
        const QRectF rect = FrameRect(entry, frame).adjusted(0.5, 0.5, -0.5, -0.5);
        FillRounded(painter, rect, ButtonRadius(entry.height), c.top, c.bottom, c.border);
        QRectF glyph_box = FrameRect(entry, frame).translated(0, PressOffset(state));
        if (glyph_box.width() > 2 * glyph_box.height()) {
            // Wide buttons keep the symbol at the size a square button would have.
            glyph_box = QRectF(glyph_box.center().x() - glyph_box.height() / 2, glyph_box.top(),
                               glyph_box.height(), glyph_box.height());
        }
        if (!DrawGlyph(painter, entry.subject, glyph_box, c.ink)) {
            return false;
        }
    }
    return true;
}

// A square box with the mark only in the frames that show "on" (1, and 4 in five-frame strips).
bool PaintCheckBox(QPainter& painter, const ImageEntry& entry) {
    for (int frame = 0; frame < entry.frames; ++frame) {
        const FrameState state = StateOfFrame(frame);
        const bool on = state == FrameState::kPressed || state == FrameState::kDisabledOn;
        const ButtonColours c = ColoursOf(entry.look, state);
        const QRectF whole = FrameRect(entry, frame);
        const qreal side = std::min(whole.width(), whole.height()) - 1;
        const QRectF box(whole.left() + 0.5, whole.top() + (whole.height() - side) / 2, side, side);
        const bool disabled = state == FrameState::kDisabled || state == FrameState::kDisabledOn;
        FillRounded(painter, box, 2, disabled ? QColor(0xEE, 0xEE, 0xEE) : QColor(Qt::white),
                    disabled ? QColor(0xE4, 0xE4, 0xE4) : QColor(0xF4, 0xF4, 0xF4),
                    state == FrameState::kHover ? c.top : c.border);
        if (on && !DrawGlyph(painter, QStringLiteral("check"), box.adjusted(-3, -3, 3, 3),
                             disabled ? QColor(0xA0, 0xA0, 0xA0) : c.bottom)) {
            return false;
        }
    }
    return true;
}

void PaintTab(QPainter& painter, const ImageEntry& entry) {
    for (int frame = 0; frame < entry.frames; ++frame) {
        const FrameState state = StateOfFrame(frame);
        QColor top, bottom, ink;
        switch (state) {
            case FrameState::kPressed:  // the selected tab: light, joined to the page below
                top = QColor(0xFF, 0xFF, 0xFF);
                bottom = colours::kPanel;
                ink = colours::kInk;
                break;
            case FrameState::kHover:
                top = QColor(0x3D, 0x7B, 0xA8);
                bottom = QColor(0x2B, 0x5F, 0x86);
                ink = QColor(0xFF, 0xFF, 0xFF);
                break;
            case FrameState::kDisabled:
            case FrameState::kDisabledOn:
                top = QColor(0xD3, 0xD9, 0xDF);
                bottom = QColor(0xC2, 0xCA, 0xD2);
                ink = QColor(0x8C, 0x98, 0xA3);
                break;
            default:
                top = QColor(0x2F, 0x66, 0x8F);
                bottom = QColor(0x22, 0x4E, 0x70);
                ink = QColor(0xDC, 0xE8, 0xF2);
                break;
        }
        const QRectF rect = FrameRect(entry, frame);
        QPainterPath shape;
        const qreal r = 6;
        shape.moveTo(rect.left(), rect.bottom());
        shape.lineTo(rect.left(), rect.top() + r);
        shape.quadTo(rect.left(), rect.top(), rect.left() + r, rect.top());
        shape.lineTo(rect.right() - r, rect.top());
        shape.quadTo(rect.right(), rect.top(), rect.right(), rect.top() + r);
        shape.lineTo(rect.right(), rect.bottom());
        shape.closeSubpath();
        QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawPath(shape);
        if (state == FrameState::kPressed) {
            painter.setBrush(colours::kTeal);
            painter.save();
            painter.setClipPath(shape);
            painter.drawRect(QRectF(rect.left(), rect.top(), rect.width(), 3));
            painter.restore();
        }
        const QRectF text_box = rect.adjusted(6, 3, -6, -1);
        DrawCentredText(painter, text_box, entry.subject,
                        FittedFont(entry.subject, 14, text_box.size()), ink);
    }
}

void PaintDigits(QPainter& painter, const ImageEntry& entry) {
    const QString digits = entry.subject;
    for (int frame = 0; frame < entry.frames && frame < digits.size(); ++frame) {
        const QRectF box = FrameRect(entry, frame);
        const QString digit = digits.mid(frame, 1);
        // One size for all ten digits, so they line up in the clock.
        const QFont font = FittedFont(QStringLiteral("0"), 28, box.size());
        DrawCentredText(painter, box.translated(0, 1), digit, font, QColor(0, 0, 0, 90));
        DrawCentredText(painter, box, digit, font, QColor(0xFF, 0xFF, 0xFF));
    }
}

QColor TintOf(const QString& name) {
    if (name == QLatin1String("teal"))
        return QColor(0x14, 0x87, 0x7C);
    if (name == QLatin1String("green"))
        return QColor(0x2E, 0x8B, 0x57);
    if (name == QLatin1String("amber"))
        return QColor(0xC9, 0x8A, 0x12);
    if (name == QLatin1String("red"))
        return QColor(0xB8, 0x40, 0x2F);
    if (name == QLatin1String("slate"))
        return QColor(0x5A, 0x6B, 0x7B);
    return QColor(0x1F, 0x63, 0x91);
}

void PaintClock(QPainter& painter, const ImageEntry& entry) {
    const QColor tint = TintOf(entry.look);
    const QRectF rect(0.5, 0.5, entry.width - 1, entry.height - 1);
    FillRounded(painter, rect, 8, tint.lighter(125), tint.darker(115), tint.darker(150));
    // Recessed slots behind the minute and second digits (15 x 26 at y 9).
    const QColor slot(0x0B, 0x1A, 0x28, 200);
    for (const int left : {88, 162}) {
        const QRectF slot_rect(left - 4, 6, 38, 32);
        painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 60), 1));
        painter.setBrush(slot);
        painter.drawRoundedRect(slot_rect.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    // The colon, centred between the minutes (ending at 118) and the seconds (from 162).
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
    painter.drawEllipse(QPointF(140, 17), 2.5, 2.5);
    painter.drawEllipse(QPointF(140, 28), 2.5, 2.5);
    DrawGlyph(painter, QStringLiteral("clock"), QRectF(24, 6, 32, 32), QColor(0xFF, 0xFF, 0xFF));
    // Three fading dots on the right balance the stopwatch on the left.
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(QColor(0xFF, 0xFF, 0xFF, 200 - 60 * i));
        painter.drawEllipse(QPointF(226 + 12 * i, 22), 3, 3);
    }
}

void PaintSlot(QPainter& painter, const Area& area) {
    painter.save();
    if (area.key == QLatin1String("edit")) {
        painter.setPen(QPen(colours::kSlotBorder, 1));
        painter.setBrush(colours::kEdit);
        painter.drawRoundedRect(QRectF(area.x - 2.5, area.y - 3.5, area.w + 5, area.h + 7), 3, 3);
    } else if (area.key == QLatin1String("strip")) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xE9, 0xEF, 0xF4));
        painter.drawRoundedRect(QRectF(area.x - 3, area.y - 2, area.w + 6, area.h + 4), 3, 3);
    } else if (area.key == QLatin1String("progress")) {
        painter.setPen(QPen(colours::kSlotBorder, 1));
        painter.setBrush(QColor(0xDD, 0xE5, 0xEC));
        painter.drawRoundedRect(QRectF(area.x - 2.5, area.y - 2.5, area.w + 5, area.h + 5), 3, 3);
    } else if (area.key == QLatin1String("browser")) {
        painter.setPen(QPen(colours::kSlotBorder, 1));
        painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
        painter.drawRect(QRectF(area.x - 1.5, area.y - 1.5, area.w + 3, area.h + 3));
    } else if (area.key == QLatin1String("label")) {
        // The words beside a check box: left-aligned, centred on the box's height.
        const QRectF box(area.x, area.y, area.w, area.h);
        const QFont font = FittedFont(area.text, 11, box.size(), false);
        painter.setFont(font);
        painter.setPen(QColor(0x3C, 0x4A, 0x57));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, area.text);
    } else if (area.key == QLatin1String("group")) {
        painter.setPen(QPen(QColor(0xD3, 0xDD, 0xE6), 1));
        painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
        painter.drawRoundedRect(QRectF(area.x + 0.5, area.y + 0.5, area.w - 1, area.h - 1), 6, 6);
    }
    painter.restore();
}

void PaintBackground(QPainter& painter, const ImageEntry& entry) {
    const QList<Area> areas = ParseAreas(entry.subject);
    int band = kTitleBandDefault;
    for (const QString& token : entry.subject.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1String("band:"))) {
            band = token.mid(5).toInt();
        }
    }
    const QRectF whole(0, 0, entry.width, entry.height);
    QLinearGradient body(whole.topLeft(), whole.bottomLeft());
    body.setColorAt(0, colours::kPanel);
    body.setColorAt(1, colours::kPanelLow);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawRect(whole);

    QLinearGradient title_band(0, 0, 0, band);
    title_band.setColorAt(0, colours::kNavyLight);
    title_band.setColorAt(1, colours::kNavy);
    painter.setBrush(title_band);
    painter.drawRect(QRectF(0, 0, entry.width, band));
    painter.setBrush(colours::kTeal);
    painter.drawRect(QRectF(0, band, entry.width, 2));
    if (const auto title = FindArea(areas, QStringLiteral("title"))) {
        const QRectF box(title->x, title->y, title->w, title->h);
        const QFont font = FittedFont(kTitle, 16, box.size());
        const QFontMetricsF metrics(font);
        const QRectF ink = metrics.tightBoundingRect(kTitle);
        painter.setFont(font);
        painter.setPen(QColor(0xFF, 0xFF, 0xFF));
        painter.drawText(
            QPointF(box.left(),
                    std::round(box.top() + (box.height() - ink.height()) / 2 - ink.top())),
            kTitle);
    }
    for (const Area& area : areas) {
        PaintSlot(painter, area);
    }
    painter.setPen(QPen(colours::kBorder, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(0.5, 0.5, -0.5, -0.5));
}

void PaintVeil(QPainter& painter, const ImageEntry& entry) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5A, 0x64, 0x6E, 140));
    painter.drawRoundedRect(QRectF(0, 0, entry.width, entry.height), 6, 6);
}

void PaintSplash(QPainter& painter, const ImageEntry& entry) {
    const QRectF whole(0, 0, entry.width, entry.height);
    QLinearGradient sky(whole.topLeft(), whole.bottomRight());
    sky.setColorAt(0, colours::kNavyDark);
    sky.setColorAt(0.6, colours::kNavy);
    sky.setColorAt(1, QColor(0x14, 0x87, 0x7C));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRect(whole);
    // Soft rings behind the pin, like a position being found.
    const QPointF centre(entry.width / 2.0, 92);
    for (int i = 3; i >= 1; --i) {
        painter.setPen(QPen(QColor(0x1F, 0xB5, 0xA6, 40 + 25 * (3 - i)), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre + QPointF(0, 26), 30.0 * i, 9.0 * i);
    }
    QRadialGradient glow(centre, 60);
    glow.setColorAt(0, QColor(0x1F, 0xB5, 0xA6, 90));
    glow.setColorAt(1, QColor(0x1F, 0xB5, 0xA6, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, 60, 60);
    DrawGlyph(painter, QStringLiteral("pin"), QRectF(centre.x() - 24, 46, 48, 70),
              QColor(0xFF, 0xFF, 0xFF));
    const QRectF title_box(20, 150, entry.width - 40, 40);
    DrawCentredText(painter, title_box, entry.subject,
                    FittedFont(entry.subject, 28, title_box.size()), QColor(0xFF, 0xFF, 0xFF));
    painter.setBrush(colours::kTeal);
    painter.drawRoundedRect(QRectF(entry.width / 2.0 - 40, 204, 80, 3), 1.5, 1.5);
    painter.setPen(QPen(colours::kNavyDark, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(0.5, 0.5, -0.5, -0.5));
}

// The tray popup's title: a pin and a road running off to the right, in the popup's colours.
void PaintLogo(QPainter& painter, const ImageEntry& entry) {
    DrawGlyph(painter, QStringLiteral("pin"), QRectF(2, 1, 14, 19), QColor(0xFF, 0xFF, 0xFF));
    const qreal y = entry.height / 2.0 + 1;
    QLinearGradient road(22, 0, entry.width, 0);
    road.setColorAt(0, colours::kTeal);
    road.setColorAt(1, QColor(0x1F, 0xB5, 0xA6, 40));
    painter.setPen(Qt::NoPen);
    painter.setBrush(road);
    painter.drawRoundedRect(QRectF(22, y - 3, entry.width - 24, 6), 3, 3);
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF, 220));
    for (qreal x = 30; x + 10 < entry.width - 6; x += 18) {
        painter.drawRect(QRectF(x, y - 0.5, 10, 1));
    }
}

// The popup is a nine-piece frame: a navy header (where the title sits) over a white body, with
// rounded outer corners. Every piece is a function of y alone across its width except at the
// outer edge, so the middle pieces stretch without seams.
bool PaintBand(QPainter& painter, const ImageEntry& entry) {
    const QString& piece = entry.subject;
    const bool left = piece.contains(QLatin1String("left"));
    const bool right = piece.contains(QLatin1String("right"));
    const bool top = piece.startsWith(QLatin1String("top"));
    const bool bottom = piece.startsWith(QLatin1String("bottom"));
    if (!(top || bottom || piece == QLatin1String("left") || piece == QLatin1String("right") ||
          piece == QLatin1String("centre"))) {
        return false;
    }
    const qreal w = entry.width;
    const qreal h = entry.height;
    const qreal radius = 8;
    const int header = 38;  // the title image sits at 9,9 and is 21 high
    // The outline of the piece: rounded where it is an outer corner.
    QPainterPath outline;
    const qreal x0 = left ? 0 : -radius * 2;
    const qreal x1 = right ? w : w + radius * 2;
    const qreal y0 = top ? 0 : -radius * 2;
    const qreal y1 = bottom ? h : h + radius * 2;
    outline.addRoundedRect(QRectF(x0, y0, x1 - x0, y1 - y0), radius, radius);
    painter.save();
    painter.setClipRect(QRectF(0, 0, w, h));
    // Border colour first, then the inside one pixel in.
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours::kNavyDark);
    painter.drawPath(outline);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(x0 + 1, y0 + 1, x1 - x0 - 2, y1 - y0 - 2), radius - 1, radius - 1);
    painter.setClipPath(inner, Qt::IntersectClip);
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
    painter.drawRect(QRectF(0, 0, w, h));
    if (top) {
        QLinearGradient gradient(0, 0, 0, header);
        gradient.setColorAt(0, colours::kNavyLight);
        gradient.setColorAt(1, colours::kNavy);
        painter.setBrush(gradient);
        painter.drawRect(QRectF(0, 0, w, header));
        painter.setBrush(colours::kTeal);
        painter.drawRect(QRectF(0, header, w, 2));
    }
    painter.restore();
    return true;
}

}  // namespace

QImage PaintImage(const ImageEntry& entry, QString* error) {
    QImage image = BlankImage(entry.width, entry.height);
    QPainter painter;
    BeginPainter(painter, image);
    bool ok = true;
    if (entry.kind == QLatin1String("button")) {
        PaintButton(painter, entry);
    } else if (entry.kind == QLatin1String("glyph")) {
        ok = PaintGlyphButton(painter, entry);
    } else if (entry.kind == QLatin1String("tab")) {
        PaintTab(painter, entry);
    } else if (entry.kind == QLatin1String("checkbox")) {
        ok = PaintCheckBox(painter, entry);
    } else if (entry.kind == QLatin1String("digits")) {
        PaintDigits(painter, entry);
    } else if (entry.kind == QLatin1String("clock")) {
        PaintClock(painter, entry);
    } else if (entry.kind == QLatin1String("background")) {
        PaintBackground(painter, entry);
    } else if (entry.kind == QLatin1String("veil")) {
        PaintVeil(painter, entry);
    } else if (entry.kind == QLatin1String("splash")) {
        PaintSplash(painter, entry);
    } else if (entry.kind == QLatin1String("logo")) {
        PaintLogo(painter, entry);
    } else if (entry.kind == QLatin1String("band")) {
        ok = PaintBand(painter, entry);
    } else {
        ok = false;
    }
    painter.end();
    if (!ok) {
        *error = QStringLiteral("line %1: cannot draw kind '%2' with '%3'")
                     .arg(entry.line)
                     .arg(entry.kind, entry.subject);
        return {};
    }
    return image;
}

}  // namespace mapvale::skin_painter
