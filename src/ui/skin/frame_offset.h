#pragma once

#include <QPoint>

class QWidget;

namespace mapvale::ui {

// Half the difference between a window's outer size and its client size: where the parts of a
// screen were laid out against the outer rectangle, adding this puts them at the same place of
// the client area. Zero for a frameless window and for a child widget.
QPoint FrameOffset(const QWidget* widget);

}  // namespace mapvale::ui
