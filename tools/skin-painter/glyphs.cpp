#include "glyphs.h"

#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace mapvale::skin_painter {

namespace {

QPen StrokePen(const QColor& ink, qreal width) {
    QPen pen(ink, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A square of side `side` centred in the box, on whole pixels so thin strokes stay sharp.
QRectF CentredSquare(const QRectF& box, qreal side) {
    const QPointF c = box.center();
    return QRectF(std::round(c.x() - side / 2), std::round(c.y() - side / 2), std::round(side),
                  std::round(side));
}

}  // namespace

bool DrawGlyph(QPainter& painter, const QString& name, const QRectF& box, const QColor& ink) {
    const qreal unit = std::min(box.width(), box.height());
    const qreal stroke = std::max<qreal>(1.5, unit / 11);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    bool known = true;
    if (name == QLatin1String("close")) {
        const QRectF r = CentredSquare(box, unit * 0.38);
        painter.setPen(StrokePen(ink, stroke));
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomLeft());
    } else if (name == QLatin1String("minimise")) {
        const QRectF r = CentredSquare(box, unit * 0.42);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRect(QRectF(r.left(), r.bottom() - 2, r.width(), 2));
    } else if (name == QLatin1String("maximise")) {
        const QRectF r = CentredSquare(box, unit * 0.42);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        // Whole-pixel outline: a 2-pixel top edge like a window's caption, 1 pixel elsewhere.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.drawLine(QPointF(r.left(), r.top() + 1), QPointF(r.right() - 1, r.top() + 1));
    } else if (name == QLatin1String("restore")) {
        const qreal side = std::round(unit * 0.32);
        const QRectF whole = CentredSquare(box, unit * 0.44);
        const QRectF back(whole.right() - side, whole.top(), side, side);
        const QRectF front(whole.left(), whole.bottom() - side, side, side);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ink, 1));
        // The back window shows only where the front one does not cover it.
        painter.drawLine(QPointF(back.left(), back.top()), QPointF(back.right() - 1, back.top()));
        painter.drawLine(QPointF(back.left(), back.top() + 1),
                         QPointF(back.right() - 1, back.top() + 1));
        painter.drawLine(QPointF(back.right() - 1, back.top()),
                         QPointF(back.right() - 1, back.bottom() - 1));
        painter.drawLine(QPointF(back.left(), back.top()), QPointF(back.left(), front.top() - 1));
        painter.drawLine(QPointF(front.right(), back.bottom() - 1),
                         QPointF(back.right() - 1, back.bottom() - 1));
        painter.drawRect(front.adjusted(0, 0, -1, -1));
        painter.drawLine(QPointF(front.left(), front.top() + 1),
                         QPointF(front.right() - 1, front.top() + 1));
    } else if (name == QLatin1String("stop")) {
        const QRectF r = CentredSquare(box, unit * 0.42);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRoundedRect(r, unit * 0.06, unit * 0.06);
    } else if (name == QLatin1String("check")) {
        const QRectF r = CentredSquare(box, unit * 0.46);
        painter.setPen(StrokePen(ink, stroke * 1.2));
        const QPolygonF mark{QPointF(r.left(), r.top() + r.height() * 0.55),
                             QPointF(r.left() + r.width() * 0.38, r.bottom() - r.height() * 0.08),
                             QPointF(r.right(), r.top() + r.height() * 0.12)};
        painter.drawPolyline(mark);
    } else if (name == QLatin1String("down")) {
        const qreal w = std::round(unit * 0.5) + (static_cast<int>(std::round(unit * 0.5)) % 2);
        const QPointF c = box.center();
        const qreal left = std::round(c.x() - w / 2);
        const qreal top = std::round(c.y() - w / 4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPolygon(QPolygonF{QPointF(left, top), QPointF(left + w, top),
                                      QPointF(left + w / 2, top + w / 2)});
    } else if (name == QLatin1String("pin")) {
        // A teardrop with a round hole: the head is a circle, the point below it.
        const qreal r = box.width() / 2;
        const QPointF head(box.center().x(), box.top() + r);
        QPainterPath pin;
        pin.moveTo(head.x(), box.bottom());
        pin.cubicTo(head.x() - r * 0.35, box.bottom() - r * 0.5, head.x() - r, head.y() + r * 0.55,
                    head.x() - r, head.y());
        pin.arcTo(QRectF(head.x() - r, head.y() - r, 2 * r, 2 * r), 180, -180);
        pin.cubicTo(head.x() + r, head.y() + r * 0.55, head.x() + r * 0.35, box.bottom() - r * 0.5,
                    head.x(), box.bottom());
        pin.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(head, r * 0.42, r * 0.42);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPath(pin.subtracted(hole));
    } else if (name == QLatin1String("clock")) {
        const QRectF r = CentredSquare(box, unit * 0.8);
        painter.setPen(StrokePen(ink, stroke));
        painter.drawEllipse(r.adjusted(0, unit * 0.08, 0, 0));
        const QPointF c = r.adjusted(0, unit * 0.08, 0, 0).center();
        painter.drawLine(c, QPointF(c.x(), c.y() - r.height() * 0.28));
        painter.drawLine(c, QPointF(c.x() + r.width() * 0.2, c.y()));
        painter.drawLine(QPointF(c.x() - unit * 0.08, r.top()),
                         QPointF(c.x() + unit * 0.08, r.top()));
    } else if (name == QLatin1String("help")) {
        // A ring with a question mark: the hook is an arc, the dot a disc.
        const QRectF r = CentredSquare(box, unit * 0.72);
        painter.setPen(StrokePen(ink, stroke));
        painter.drawEllipse(r);
        const QPointF c = r.center();
        const qreal s = r.width();
        QPainterPath hook;
        hook.arcMoveTo(QRectF(c.x() - s * 0.16, c.y() - s * 0.30, s * 0.32, s * 0.30), 160);
        hook.arcTo(QRectF(c.x() - s * 0.16, c.y() - s * 0.30, s * 0.32, s * 0.30), 160, -250);
        hook.lineTo(c.x(), c.y() + s * 0.08);
        painter.drawPath(hook);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(QPointF(c.x(), c.y() + s * 0.24), stroke * 0.7, stroke * 0.7);
    } else if (name == QLatin1String("notice")) {
        // A sheet with a folded corner and three lines of text.
        const QRectF r = CentredSquare(box, unit * 0.66);
        const QRectF sheet(r.left() + r.width() * 0.14, r.top(), r.width() * 0.72, r.height());
        const qreal fold = sheet.width() * 0.3;
        painter.setPen(StrokePen(ink, stroke));
        painter.drawPolygon(QPolygonF{sheet.topLeft(), QPointF(sheet.right() - fold, sheet.top()),
                                      QPointF(sheet.right(), sheet.top() + fold),
                                      sheet.bottomRight(), sheet.bottomLeft()});
        for (int i = 0; i < 3; ++i) {
            const qreal y = sheet.top() + sheet.height() * (0.42 + 0.18 * i);
            painter.drawLine(QPointF(sheet.left() + sheet.width() * 0.22, y),
                             QPointF(sheet.right() - sheet.width() * 0.22, y));
        }
    } else {
        known = false;
    }
    painter.restore();
    return known;
}

}  // namespace mapvale::skin_painter
