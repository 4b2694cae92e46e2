#pragma once

#include <QStyledItemDelegate>

namespace mapvale::ui {

class ContentListModel;

// Paints every cell of the content list itself: the alternating row colours and the selected
// row's frame, the tree lines, the check box with the name, the sizes, and the state cells with
// their colours and progress bars. Texts are drawn as plain text.
class ContentListDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kCheckBoxSize = 13;

    ContentListDelegate(const ContentListModel& model, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where the check box of a name cell lies (category rows are indented less).
    static QRect CheckBoxRect(const QRect& cell, bool category);

private:
    const ContentListModel& model_;
};

}  // namespace mapvale::ui
