#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "controller/list_cells.h"
#include "model/device_entry.h"

namespace mapvale::ui {

// What one row of the content list shows, computed from the device's catalogue. Rows compare
// equal when they look the same, so a refresh repaints only the rows that changed.
struct ListRowView {
    bool category = false;
    bool last_in_group = false;  // the tree line ends at this file row
    bool checked = false;
    std::size_t file_index = 0;  // file rows: the entry in DeviceEntry::files
    QString name;                // file name, or the category's display name
    QString zip_size;
    QString real_size;
    controller::CellLook state;  // idle state, or the download state while busy
    controller::CellLook copy;   // copy state, only while busy

    friend bool operator==(const ListRowView&, const ListRowView&) = default;
};

// The content list's rows: each category (in catalogue order of its first file) followed by its
// files. It reads the device's entries and never changes them. Columns: tree lines, name, the
// two sizes, the state; while the device is busy the state splits into download and copy.
class ContentListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTree = 0, kName, kZipSize, kRealSize, kState, kCopy };
    static constexpr int kIdleColumns = 5;
    static constexpr int kBusyColumns = 6;

    using QAbstractTableModel::QAbstractTableModel;

    // Reads the device again (null: empty list). The rows are rebuilt when the device, its
    // catalogue or its busy flag changed (the columns change with the busy flag); otherwise only
    // the rows whose look changed are announced. Returns the number of rows announced.
    int Refresh(const DeviceEntry* device);

    bool busy() const { return busy_; }
    const ListRowView& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Group {
        QString name;
        int colour_row = 0;  // controller::ColourRowType of the name
        std::vector<std::size_t> files;
    };
    // The rows' fixed parts (names, sizes, tree lines) for the device's catalogue.
    void BuildRows(const DeviceEntry& device);
    // The parts that change during a job (marks and states) into `row`, for row number `at`;
    // true when anything changed.
    bool UpdateRow(const DeviceEntry& device, std::size_t at, ListRowView& row);
    bool UpdateCategoryRow(const DeviceEntry& device, const Group& group, ListRowView& row);
    bool UpdateFileRow(const DeviceEntry& device, ListRowView& row) const;

    // What a file's look is made of; a file whose key did not change keeps its look.
    struct FileKey {
        int status = 0;
        int percent = 0;
        int selected = 0;
        int downloaded_version = 0;
        int card_version = 0;
        int needs_download = 0;
        int partial = 0;
        int on_pc = 0;
        friend bool operator==(const FileKey&, const FileKey&) = default;
    };
    static FileKey KeyOf(const FileEntry& file);
    // The device's choices that every look depends on.
    struct DeviceKey {
        int format_option = 0;
        int colour = 0;
        int install_type = 0;
        friend bool operator==(const DeviceKey&, const DeviceKey&) = default;
    };

    const DeviceEntry* device_ = nullptr;
    DeviceKey device_key_;
    std::vector<FileKey> file_keys_;
    std::vector<bool> file_changed_;
    std::vector<bool> group_changed_;
    std::size_t file_count_ = 0;
    // The catalogue the rows were built for: files by name and category, in order.
    std::vector<std::pair<std::string, std::string>> catalogue_;
    bool SameCatalogue(const DeviceEntry& device) const;
    bool busy_ = false;
    std::vector<Group> groups_;
    std::vector<int> row_group_;    // per row: its group (category rows) or -1
    std::vector<int> colour_rows_;  // per file: controller::ColourRowType of its name
    std::vector<ListRowView> rows_;
    std::vector<const FileEntry*> members_;  // scratch for the category summaries
};

}  // namespace mapvale::ui
