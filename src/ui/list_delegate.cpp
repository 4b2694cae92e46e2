#include "ui/list_delegate.h"

#include <QPainter>
#include <algorithm>

#include "ui/list_model.h"

namespace mapvale::ui {

namespace {

namespace c = controller::list_colours;

// COLORREF (0x00BBGGRR) to a Qt colour.
QColor FromColorRef(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

constexpr int kTextMargin = 4;
constexpr int kNumberMargin = 2;

// Draws `text` in one line inside `area`, narrowing the letters when it would not fit: sizes
// and states are never cut.
void DrawFitted(QPainter& painter, const QRect& area, int flags, const QString& text) {
    const int advance = painter.fontMetrics().horizontalAdvance(text);
    if (advance <= area.width() || advance == 0) {
        painter.drawText(area, flags | Qt::TextSingleLine, text);
        return;
    }
    const QFont font = painter.font();
    QFont narrow = font;
    narrow.setStretch(std::max(50, 100 * area.width() / advance));
    painter.setFont(narrow);
    painter.drawText(area, flags | Qt::TextSingleLine, text);
    painter.setFont(font);
}
constexpr int kFileIndent = 12;

void DrawTreeLines(QPainter& painter, const QRect& cell, const ListRowView& row) {
    painter.setPen(QPen(FromColorRef(0xA0A0A0), 1, Qt::DotLine));
    const int x = cell.left() + cell.width() / 2;
    const int y = cell.top() + cell.height() / 2;
    if (row.category) {
        // A small box marks the group's head; its line leads down to the files.
        const QRect box(x - 4, y - 4, 8, 8);
        painter.setPen(FromColorRef(0x808080));
        painter.drawRect(box);
        painter.drawLine(box.left() + 2, y, box.right() - 2, y);
        painter.setPen(QPen(FromColorRef(0xA0A0A0), 1, Qt::DotLine));
        painter.drawLine(x, box.bottom() + 1, x, cell.bottom());
        return;
    }
    painter.drawLine(x, cell.top(), x, row.last_in_group ? y : cell.bottom());
    painter.drawLine(x, y, cell.right(), y);
}

void DrawCheckBox(QPainter& painter, const QRect& box, bool checked) {
    painter.setPen(FromColorRef(0x707070));
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (checked) {
        QPen tick(FromColorRef(0x303030), 2);
        painter.setPen(tick);
        const QPointF points[] = {{box.left() + 3.0, box.top() + 6.5},
                                  {box.left() + 5.5, box.top() + 9.5},
                                  {box.right() - 2.5, box.top() + 3.0}};
        painter.drawPolyline(points, 3);
    }
    painter.setBrush(Qt::NoBrush);
}

void DrawStateCell(QPainter& painter, const QRect& cell, const controller::CellLook& look,
                   const QColor& row_colour) {
    const QString text = QString::fromStdString(look.text);
    if (look.background) {
        painter.fillRect(cell, FromColorRef(*look.background));
    }
    if (look.has_bar()) {
        const QRect frame = cell.adjusted(4, 2, -4, -2);
        painter.setPen(FromColorRef(c::kBarFrame));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        const QRect inner = frame.adjusted(1, 1, -1, -1);
        painter.fillRect(inner, row_colour);
        const int filled = look.bar_percent * inner.width() / 100;
        painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()),
                         FromColorRef(c::kBarFill));
        painter.setPen(FromColorRef(look.colour));
        DrawFitted(painter, inner, Qt::AlignCenter, text);
        return;
    }
    painter.setPen(FromColorRef(look.colour));
    DrawFitted(painter, cell.adjusted(kTextMargin, 0, -kTextMargin, 0),
               Qt::AlignVCenter | Qt::AlignLeft, text);
}

}  // namespace

ContentListDelegate::ContentListDelegate(const ContentListModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

QRect ContentListDelegate::CheckBoxRect(const QRect& cell, bool category) {
    const int left = cell.left() + 2 + (category ? 0 : kFileIndent);
    return QRect(left, cell.top() + (cell.height() - kCheckBoxSize) / 2, kCheckBoxSize,
                 kCheckBoxSize);
}

void ContentListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const ListRowView& row = model_.Row(index.row());
    const QRect cell = option.rect;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QColor row_colour = selected
                                  ? FromColorRef(c::kSelectedFill)
                                  : FromColorRef(index.row() % 2 == 0 ? c::kRowEven : c::kRowOdd);
    painter->save();
    painter->setClipRect(cell);
    painter->fillRect(cell, row_colour);
    if (selected) {
        // The frame runs along the whole row: top and bottom in every cell, the ends in the
        // first and last cells.
        painter->setPen(FromColorRef(c::kSelectedFrame));
        painter->drawLine(cell.topLeft(), cell.topRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        if (index.column() == 0) {
            painter->drawLine(cell.topLeft(), cell.bottomLeft());
        }
        if (index.column() == model_.columnCount() - 1) {
            painter->drawLine(cell.topRight(), cell.bottomRight());
        }
    }
    painter->setFont(option.font);
    switch (index.column()) {
        case ContentListModel::kTree:
            DrawTreeLines(*painter, cell, row);
            break;
        case ContentListModel::kName: {
            const QRect box = CheckBoxRect(cell, row.category);
            DrawCheckBox(*painter, box, row.checked);
            painter->setPen(FromColorRef(c::kText));
            QFont font = option.font;
            font.setBold(row.category);
            painter->setFont(font);
            const QRect text(box.right() + kTextMargin, cell.top(),
                             cell.right() - box.right() - kTextMargin, cell.height());
            painter->drawText(
                text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                painter->fontMetrics().elidedText(row.name, Qt::ElideRight, text.width()));
            break;
        }
        case ContentListModel::kZipSize:
        case ContentListModel::kRealSize:
            painter->setPen(FromColorRef(c::kText));
            DrawFitted(*painter, cell.adjusted(kNumberMargin, 0, -kNumberMargin, 0),
                       Qt::AlignVCenter | Qt::AlignRight,
                       index.column() == ContentListModel::kZipSize ? row.zip_size : row.real_size);
            break;
        case ContentListModel::kState:
            DrawStateCell(*painter, cell, row.state, row_colour);
            break;
        case ContentListModel::kCopy:
            DrawStateCell(*painter, cell, row.copy, row_colour);
            break;
        default:
            break;
    }
    painter->restore();
}

QSize ContentListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    static_cast<void>(index);
    return QSize(option.rect.width(), 18);
}

}  // namespace mapvale::ui
