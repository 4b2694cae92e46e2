#include "ui/list_model.h"

#include <algorithm>

#include "controller/check_marks.h"
#include "controller/size_text.h"

namespace mapvale::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void ContentListModel::BuildRows(const DeviceEntry& device) {
    groups_.clear();
    for (std::size_t i = 0; i < device.files.size(); ++i) {
        const QString name = Text(device.files[i].category);
        auto group = std::find_if(groups_.begin(), groups_.end(),
                                  [&](const Group& g) { return g.name == name; });
        if (group == groups_.end()) {
            groups_.push_back(Group{name, controller::ColourRowType(device.files[i].category), {}});
            group = std::prev(groups_.end());
        }
        group->files.push_back(i);
    }
    rows_.clear();
    row_group_.clear();
    colour_rows_.assign(device.files.size(), 0);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const Group& group = groups_[g];
        std::uint64_t zip = 0;
        std::uint64_t real = 0;
        for (const std::size_t index : group.files) {
            zip += device.files[index].archive_size;
            real += device.files[index].file_size;
        }
        ListRowView head;
        head.category = true;
        head.name = group.name;
        head.zip_size = Text(controller::SizeText(zip));
        head.real_size = Text(controller::SizeText(real));
        rows_.push_back(std::move(head));
        row_group_.push_back(static_cast<int>(g));
        for (std::size_t k = 0; k < group.files.size(); ++k) {
            const std::size_t index = group.files[k];
            const FileEntry& file = device.files[index];
            ListRowView row;
            row.file_index = index;
            row.last_in_group = k + 1 == group.files.size();
            row.name = Text(file.file_name);
            row.zip_size = Text(controller::SizeText(file.archive_size));
            row.real_size = Text(controller::SizeText(file.file_size));
            colour_rows_[index] = controller::ColourRowType(file.file_name);
            rows_.push_back(std::move(row));
            row_group_.push_back(-1);
        }
    }
    for (std::size_t at = 0; at < rows_.size(); ++at) {
        UpdateRow(device, at, rows_[at]);
    }
}

bool ContentListModel::UpdateRow(const DeviceEntry& device, std::size_t at, ListRowView& row) {
    const int group = row_group_[at];
    return group >= 0 ? UpdateCategoryRow(device, groups_[static_cast<std::size_t>(group)], row)
                      : UpdateFileRow(device, row);
}

bool ContentListModel::UpdateCategoryRow(const DeviceEntry& device, const Group& group,
                                         ListRowView& row) {
    members_.clear();
    bool all_checked = true;
    for (const std::size_t index : group.files) {
        const FileEntry& file = device.files[index];
        members_.push_back(&file);
        all_checked = all_checked && file.selected != 0;
    }
    bool checked = all_checked;
    if (group.colour_row != 0) {
        checked = group.colour_row == device.colour;
    }
    controller::CellLook state;
    controller::CellLook copy;
    const bool shows_state =
        group.files.empty() || controller::RowShowsState(device, device.files[group.files[0]]);
    if (shows_state) {
        state = busy_ ? controller::DownloadCategoryCell(members_)
                      : controller::IdleCategoryCell(members_);
        if (busy_) {
            copy = controller::CopyCategoryCell(members_, device.format_option != 0);
        }
    }
    const bool changed = checked != row.checked || !(state == row.state) || !(copy == row.copy);
    row.checked = checked;
    row.state = std::move(state);
    row.copy = std::move(copy);
    return changed;
}

bool ContentListModel::UpdateFileRow(const DeviceEntry& device, ListRowView& row) const {
    const FileEntry& file = device.files[row.file_index];
    bool checked = file.selected != 0;
    if (const int colour_row = colour_rows_[row.file_index]) {
        checked = colour_row == device.colour;
    }
    controller::CellLook state;
    controller::CellLook copy;
    if (controller::RowShowsState(device, file)) {
        if (busy_) {
            state = controller::DownloadFileCell(file);
            copy = controller::CopyFileCell(file, device.format_option != 0);
        } else {
            state = controller::IdleFileCell(file);
        }
    }
    const bool changed = checked != row.checked || !(state == row.state) || !(copy == row.copy);
    row.checked = checked;
    row.state = std::move(state);
    row.copy = std::move(copy);
    return changed;
}

ContentListModel::FileKey ContentListModel::KeyOf(const FileEntry& file) {
    return FileKey{static_cast<int>(file.status.load()),
                   file.percent,
                   file.selected,
                   file.downloaded_version,
                   file.card_version,
                   file.needs_download,
                   file.partial,
                   file.on_pc};
}

bool ContentListModel::SameCatalogue(const DeviceEntry& device) const {
    if (device.files.size() != catalogue_.size()) {
        return false;
    }
    for (std::size_t i = 0; i < catalogue_.size(); ++i) {
        const FileEntry& file = device.files[i];
        if (file.file_name != catalogue_[i].first || file.category != catalogue_[i].second) {
            return false;
        }
    }
    return true;
}

int ContentListModel::Refresh(const DeviceEntry* device) {
    const bool busy = device != nullptr && device->busy != 0;
    const std::size_t file_count = device != nullptr ? device->files.size() : 0;
    if (device != device_ || busy != busy_ || file_count != file_count_ ||
        (device != nullptr && !SameCatalogue(*device))) {
        beginResetModel();
        device_ = device;
        busy_ = busy;
        file_count_ = file_count;
        groups_.clear();
        rows_.clear();
        row_group_.clear();
        if (device != nullptr) {
            BuildRows(*device);
            device_key_ = DeviceKey{device->format_option, device->colour, device->install_type};
            catalogue_.clear();
            for (const FileEntry& file : device->files) {
                catalogue_.emplace_back(file.file_name, file.category);
            }
            file_keys_.clear();
            for (const FileEntry& file : device->files) {
                file_keys_.push_back(KeyOf(file));
            }
        }
        endResetModel();
        return static_cast<int>(rows_.size());
    }
    if (device == nullptr) {
        return 0;
    }
    // Only rows whose inputs changed are looked at again: a refresh during a job touches the
    // few files at work, not the whole package.
    const DeviceKey device_key{device->format_option, device->colour, device->install_type};
    const bool everything = !(device_key == device_key_);
    device_key_ = device_key;
    file_changed_.assign(file_keys_.size(), everything);
    for (std::size_t i = 0; i < file_keys_.size(); ++i) {
        const FileKey key = KeyOf(device->files[i]);
        if (!(key == file_keys_[i])) {
            file_keys_[i] = key;
            file_changed_[i] = true;
        }
    }
    group_changed_.assign(groups_.size(), everything);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        for (const std::size_t index : groups_[g].files) {
            if (file_changed_[index]) {
                group_changed_[g] = true;
                break;
            }
        }
    }
    const auto changed = [&](std::size_t at) {
        const int group = row_group_[at];
        const bool stale = group >= 0 ? group_changed_[static_cast<std::size_t>(group)]
                                      : file_changed_[rows_[at].file_index];
        return stale && UpdateRow(*device, at, rows_[at]);
    };

    int announced = 0;
    const int last_column = columnCount() - 1;
    std::size_t row = 0;
    while (row < rows_.size()) {
        if (!changed(row)) {
            ++row;
            continue;
        }
        // One announcement per run of changed rows.
        const std::size_t first = row;
        ++row;
        while (row < rows_.size() && changed(row)) {
            ++row;
        }
        announced += static_cast<int>(row - first);
        emit dataChanged(index(static_cast<int>(first), 0),
                         index(static_cast<int>(row - 1), last_column));
        // The row that ended the run was updated and found unchanged.
        ++row;
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
