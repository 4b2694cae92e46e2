#include "ui/skin/user_info.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include "ui/skin/skin_fonts.h"

namespace mapvale::ui {

CUserInfo::CUserInfo(int id, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(id));
    setFont(SkinFont(12, 600));
}

void CUserInfo::SetText(const QString& text) {
    if (text_ != text) {
        text_ = text;
        update();
    }
}

void CUserInfo::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    QPixmap buffer(size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(kBackground);
    {
        QPainter painter(&buffer);
        painter.setFont(font());
        painter.setPen(kTextColour);
        const QRect area = rect().adjusted(kInset, 0, -kInset, 0);
        const QString shown = QFontMetrics(font()).elidedText(text_, Qt::ElideRight, area.width());
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

}  // namespace mapvale::ui
