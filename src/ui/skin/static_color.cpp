#include "ui/skin/static_color.h"

#include <QPalette>

namespace mapvale::ui {

CStaticColor::CStaticColor(int id, QWidget* parent) : QLabel(parent) {
    setObjectName(QString::number(id));
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

}  // namespace mapvale::ui
