#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace mapvale::skin_painter {

// Draws a symbol centred in the box: close (X), minimise (a bar), maximise (a square), restore
// (two overlapping squares), stop (a filled square), check (a check mark), down (a down arrow),
// pin (a map pin), clock (a stopwatch). Strokes scale with the box. False for an unknown name.
bool DrawGlyph(QPainter& painter, const QString& name, const QRectF& box, const QColor& ink);

}  // namespace mapvale::skin_painter
