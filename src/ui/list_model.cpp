#include "ui/list_model.h"

#include "controller/check_marks.h"
#include "controller/size_text.h"

namespace mapvale::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void ContentListModel::BuildGroups(const DeviceEntry& device) {
    groups_.clear();
    for (std::size_t i = 0; i < device.files.size(); ++i) {
        const QString name = Text(device.files[i].category);
        auto group = std::find_if(groups_.begin(), groups_.end(),
                                  [&](const Group& g) { return g.name == name; });
        if (group == groups_.end()) {
            groups_.push_back(Group{name, {}});
            group = std::prev(groups_.end());
        }
        group->files.push_back(i);
    }
}

std::vector<ListRowView> ContentListModel::ComputeRows(const DeviceEntry& device) const {
    std::vector<ListRowView> rows;
    rows.reserve(device.files.size() + groups_.size());
    const bool format_on = device.format_option != 0;
    std::vector<const FileEntry*> members;
    for (const Group& group : groups_) {
        members.clear();
        std::uint64_t zip = 0;
        std::uint64_t real = 0;
        bool all_checked = true;
        for (const std::size_t index : group.files) {
            const FileEntry& file = device.files[index];
            members.push_back(&file);
            zip += file.archive_size;
            real += file.file_size;
            all_checked = all_checked && file.selected != 0;
        }
        ListRowView head;
        head.category = true;
        head.name = group.name;
        head.zip_size = Text(controller::SizeText(zip));
        head.real_size = Text(controller::SizeText(real));
        head.checked = all_checked;
        if (const int colour_row = controller::ColourRowType(group.name.toStdString())) {
            head.checked = colour_row == device.colour;
        }
        const bool shows_state =
            group.files.empty() || controller::RowShowsState(device, device.files[group.files[0]]);
        if (shows_state) {
            head.state = busy_ ? controller::DownloadCategoryCell(members)
                               : controller::IdleCategoryCell(members);
            if (busy_) {
                head.copy = controller::CopyCategoryCell(members, format_on);
            }
        }
        rows.push_back(std::move(head));

        for (std::size_t k = 0; k < group.files.size(); ++k) {
            const std::size_t index = group.files[k];
            const FileEntry& file = device.files[index];
            ListRowView row;
            row.file_index = index;
            row.last_in_group = k + 1 == group.files.size();
            row.name = Text(file.file_name);
            row.zip_size = Text(controller::SizeText(file.archive_size));
            row.real_size = Text(controller::SizeText(file.file_size));
            row.checked = file.selected != 0;
            if (const int colour_row = controller::ColourRowType(file.file_name)) {
                row.checked = colour_row == device.colour;
            }
            if (controller::RowShowsState(device, file)) {
                if (busy_) {
                    row.state = controller::DownloadFileCell(file);
                    row.copy = controller::CopyFileCell(file, format_on);
                } else {
                    row.state = controller::IdleFileCell(file);
                }
            }
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

int ContentListModel::Refresh(const DeviceEntry* device) {
    const bool busy = device != nullptr && device->busy != 0;
    const std::size_t file_count = device != nullptr ? device->files.size() : 0;
    if (device != device_ || busy != busy_ || file_count != file_count_) {
        beginResetModel();
        device_ = device;
        busy_ = busy;
        file_count_ = file_count;
        groups_.clear();
        rows_.clear();
        if (device != nullptr) {
            BuildGroups(*device);
            rows_ = ComputeRows(*device);
        }
        endResetModel();
        return static_cast<int>(rows_.size());
    }
    if (device == nullptr) {
        return 0;
    }
    std::vector<ListRowView> fresh = ComputeRows(*device);
    int announced = 0;
    const int last_column = columnCount() - 1;
    std::size_t row = 0;
    while (row < fresh.size()) {
        if (fresh[row] == rows_[row]) {
            ++row;
            continue;
        }
        // One announcement per run of changed rows.
        const std::size_t first = row;
        while (row < fresh.size() && !(fresh[row] == rows_[row])) {
            rows_[row] = std::move(fresh[row]);
            ++row;
        }
        announced += static_cast<int>(row - first);
        emit dataChanged(index(static_cast<int>(first), 0),
                         index(static_cast<int>(row - 1), last_column));
    }
    return announced;
}

int ContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ContentListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return busy_ ? kBusyColumns : kIdleColumns;
}

QVariant ContentListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ListRowView& row = Row(index.row());
    if (role == Qt::CheckStateRole && index.column() == kName) {
        return row.checked ? Qt::Checked : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case kName:
            return row.name;
        case kZipSize:
            return row.zip_size;
        case kRealSize:
            return row.real_size;
        case kState:
            return Text(row.state.text);
        case kCopy:
            return Text(row.copy.text);
        default:
            return {};
    }
}

QVariant ContentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kName:
            return QStringLiteral("파일명");
        case kZipSize:
            return QStringLiteral("압축크기");
        case kRealSize:
            return QStringLiteral("실제크기");
        case kState:
            return busy_ ? QStringLiteral("다운로드 상태") : QStringLiteral("상태");
        case kCopy:
            return QStringLiteral("복사 상태");
        default:
            return QString();
    }
}

}  // namespace mapvale::ui
