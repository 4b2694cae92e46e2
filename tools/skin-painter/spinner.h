#pragma once

#include <QList>

#include "gif_writer.h"

namespace mapvale::skin_painter {

// The countdown screen's animation: a teal arc turning once round a faint track over `count`
// frames of `delay_ms` each. Edges are blended over white (the screen's page) because GIF
// pixels are either opaque or transparent.
QList<GifFrame> PaintSpinner(int size, int count, int delay_ms);

// Two solid frames for the animation tests: `first` then `second`, `delay_ms` each.
QList<GifFrame> SolidFrames(int size, QRgb first, QRgb second, int delay_ms);

}  // namespace mapvale::skin_painter
