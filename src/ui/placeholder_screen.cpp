#include "ui/placeholder_screen.h"

#include <QPainter>

#include "ui/skin/skin_fonts.h"

namespace mapvale::ui {

PlaceholderScreen::PlaceholderScreen(controller::CMainFrame& frame, const QString& class_name,
                                     QSize size)
    : ScreenWindow(frame, 0), class_name_(class_name) {
    setObjectName(class_name);
    resize(size);
    SetDragArea(kDragBody);
}

void PlaceholderScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(236, 240, 245));
    painter.fillRect(QRect(0, 0, width(), 36), QColor(31, 63, 102));
    painter.setPen(Qt::white);
    painter.setFont(SkinFont(14, 700));
    painter.drawText(QRect(12, 0, width() - 24, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     windowTitle());
    painter.setPen(QColor(60, 60, 60));
    painter.setFont(SkinFont(16, 600));
    painter.drawText(rect().adjusted(0, 36, 0, 0), Qt::AlignCenter, class_name_);
    painter.setPen(QColor(120, 130, 140));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace mapvale::ui
