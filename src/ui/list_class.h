#pragma once

#include <QString>
#include <QTableView>
#include <array>
#include <cstddef>
#include <optional>

#include "controller/pie_chart.h"
#include "model/card_info.h"
#include "model/device_entry.h"
#include "ui/list_delegate.h"
#include "ui/list_model.h"

namespace mapvale::ui {

// The install page's content list: the selected device's package by category and file, with
// check marks, sizes and states, and beside it (while the device is not busy) the card chart.
// It only reads the device; a click in a file's check box is announced for the page to pass on
// to the controller, which decides whether it counts.
class CListClass final : public QTableView {
    Q_OBJECT

public:
    static constexpr std::array<int, 6> kColumnWidths = {20, 165, 60, 60, 100, 100};

    explicit CListClass(QWidget* parent = nullptr);

    // Reads the device (null: empty) and the card for the chart (null: no card). Cheap when
    // nothing changed: only changed rows are repainted and the chart is asked again only for
    // new amounts. Returns the number of rows repainted (all rows after a rebuild).
    int Refresh(const DeviceEntry* device, const CardInfo* card);

    // Shows the card chart movie from `program_folder` (empty: no chart, as in tests of the list
    // alone).
    void SetChartFolder(const QString& program_folder) { chart_folder_ = program_folder; }

    // Width of the columns left of the chart (tree line to state).
    int ColumnsWidth() const;

    const ContentListModel& rows() const { return model_; }

signals:
    // A click in the check box of file `file_index` of the device's catalogue.
    void CheckClicked(int file_index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A scroll bar that comes or goes changes the client area the chart fills.
    bool viewportEvent(QEvent* event) override;

private:
    void ApplyColumns();
    void UpdateChart(bool force);

    ContentListModel model_;
    ContentListDelegate delegate_;
    QString chart_folder_;
    std::optional<controller::PieAmounts> chart_;  // what the chart shows now; none: hidden
    std::optional<controller::PieAmounts> wanted_chart_;
};

}  // namespace mapvale::ui
