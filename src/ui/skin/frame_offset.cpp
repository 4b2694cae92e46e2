#include "ui/skin/frame_offset.h"

#include <QWidget>

namespace mapvale::ui {

QPoint FrameOffset(const QWidget* widget) {
    if (widget == nullptr || !widget->isWindow()) {
        return {};
    }
    const QSize outer = widget->frameGeometry().size();
    const QSize client = widget->size();
    return QPoint((outer.width() - client.width()) / 2, (outer.height() - client.height()) / 2);
}

}  // namespace mapvale::ui
