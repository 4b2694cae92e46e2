#pragma once

#include <QImage>
#include <QString>

namespace mapvale::skin_painter {

// The program icons, drawn for each size rather than scaled, so the small ones keep whole-pixel
// shapes and drop the details that would blur: "updater" is a rounded square with a map pin and
// a download arrow, "tray" a round badge with a pin and a circling arrow. Null for another name.
QImage PaintIcon(const QString& name, int size);

}  // namespace mapvale::skin_painter
