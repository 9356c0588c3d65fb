#include "queue/queue_model.h"

#include "queue/image_queue.h"

#include <limits>

namespace pixmorrow {

QueueModel::QueueModel(const ImageQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), queue_(queue) {}

void QueueModel::syncRowCount() {
    const std::size_t length = queue_.size();
    const int target = length > static_cast<std::size_t>(std::numeric_limits<int>::max())
                           ? std::numeric_limits<int>::max()
                           : static_cast<int>(length);
    if (target == rows_) return;
    if (target > rows_) {
        beginInsertRows({}, rows_, target - 1);
        rows_ = target;
        endInsertRows();
        return;
    }
    beginResetModel();
    rows_ = target;
    endResetModel();
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int QueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= queue_.size()) return {};
    if (role == Qt::DisplayRole && index.column() == FilenameColumn) {
        return queue_.at(static_cast<std::size_t>(index.row())).FName;
    }
    return {};
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case FilenameColumn: return QStringLiteral("Filename");
        case SizeColumn: return QStringLiteral("Size (bytes)");
        default: return {};
    }
}

}  // namespace pixmorrow
