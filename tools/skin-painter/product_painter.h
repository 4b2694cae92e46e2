#pragma once

#include <QImage>

namespace mapvale::skin_painter {

// The option page's stand-in product pictures (200 x 150): a navigation unit with a map on its
// screen when a device has no picture of its own, and the same unit greyed out and blank when
// no device is chosen.
QImage PaintDefaultProduct();
QImage PaintNoSelection();

}  // namespace mapvale::skin_painter
