#pragma once

#include <QImage>
#include <QString>

#include "image_list.h"

namespace mapvale::skin_painter {

// Draws one still image of the list (every kind but icon and animation, which have their own
// painters). A null image and a message in `error` when the kind or symbol is unknown.
QImage PaintImage(const ImageEntry& entry, QString* error);

}  // namespace mapvale::skin_painter
