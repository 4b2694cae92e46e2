#include "ui/list_class.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ui/skin/skin_fonts.h"
#include "ui/web/status_movies.h"

namespace mapvale::ui {

namespace {

constexpr int kRowHeight = 18;

}  // namespace

CListClass::CListClass(QWidget* parent)
    : QTableView(parent), model_(this), delegate_(model_, this) {
    setObjectName(QStringLiteral("1010"));
    setModel(&model_);
    setItemDelegate(&delegate_);
    setFont(SkinFont(12));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setFont(SkinFont(12));
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(&model_, &QAbstractItemModel::modelReset, this, &CListClass::ApplyColumns);
    ApplyColumns();
}

void CListClass::ApplyColumns() {
    QHeaderView* header = horizontalHeader();
    for (int column = 0; column < model_.columnCount(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        header->resizeSection(column, kColumnWidths[static_cast<std::size_t>(column)]);
    }
}

int CListClass::ColumnsWidth() const {
    int width = 0;
    for (int column = 0; column < ContentListModel::kIdleColumns; ++column) {
        width += kColumnWidths[static_cast<std::size_t>(column)];
    }
    return width;
}

int CListClass::Refresh(const DeviceEntry* device, const CardInfo* card) {
    const int repainted = model_.Refresh(device);
    if (device == nullptr || device->busy != 0) {
        wanted_chart_.reset();
    } else {
        wanted_chart_ = controller::PieAmountsFor(*device, card);
    }
    UpdateChart(false);
    return repainted;
}

void CListClass::UpdateChart(bool force) {
    if (chart_folder_.isEmpty()) {
        return;
    }
    if (!wanted_chart_) {
        if (chart_) {
            HidePie(this);
            chart_.reset();
        }
        return;
    }
    if (!force && chart_ == wanted_chart_) {
        return;
    }
    chart_ = wanted_chart_;
    ShowPie(this, chart_folder_, ColumnsWidth(), chart_->camera, chart_->map, chart_->user,
            chart_->free);
}

void CListClass::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() == ContentListModel::kName &&
        event->button() == Qt::LeftButton) {
        const ListRowView& row = model_.Row(index.row());
        const QRect box = ContentListDelegate::CheckBoxRect(visualRect(index), row.category);
        if (!row.category && box.contains(event->position().toPoint())) {
            emit CheckClicked(static_cast<int>(row.file_index));
        }
    }
    QTableView::mousePressEvent(event);
}

void CListClass::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    UpdateChart(true);
}

bool CListClass::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize && chart_) {
        UpdateChart(true);
    }
    return handled;
}

}  // namespace mapvale::ui
