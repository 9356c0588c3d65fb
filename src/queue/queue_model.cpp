#include "queue/queue_model.h"

#include "platform/plain_tooltip.h"
#include "queue/file_size.h"
#include "queue/icon_source.h"
#include "queue/image_queue.h"
#include "queue/row_icons.h"

#include <QLocale>

#include <limits>

namespace pixmorrow {

QueueModel::QueueModel(ImageQueue& queue, RowIconList& icons, IconSource& iconSource,
                       std::function<bool()> displayIcons, QObject* parent)
    : QAbstractTableModel(parent),
      queue_(queue),
      icons_(icons),
      iconSource_(iconSource),
      displayIcons_(std::move(displayIcons)) {}

void QueueModel::syncRowCount() {
    const std::size_t length = queue_.size();
    const int target = length > static_cast<std::size_t>(std::numeric_limits<int>::max())
                           ? std::numeric_limits<int>::max()
                           : static_cast<int>(length);
    if (target == rows_)
        return;
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

QString QueueModel::sizeText(const QString& path) {
    // The default locale is the user's unless the program sets another one.
    return QLocale().toString(static_cast<qlonglong>(GetFileSizeBytes(path)));
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int QueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QIcon QueueModel::rowIcon(std::size_t row) const {
    if (!displayIcons_ || !displayIcons_())
        return icons_.icon(1);
    TMyRecord& entry = queue_.at(row);
    if (entry.FImageIndex == 0) {
        entry.FImageIndex = icons_.add(iconSource_.iconFor(entry.FName));
    }
    return entry.FImageIndex > 0 ? icons_.icon(entry.FImageIndex) : QIcon();
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= queue_.size())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == FilenameColumn) {
        // The view cuts a long path in the middle; the tooltip shows the whole of it.
        if (role == Qt::DisplayRole)
            return queue_.at(row).FName;
        if (role == Qt::ToolTipRole)
            return plainToolTip(queue_.at(row).FName);
        if (role == Qt::DecorationRole)
            return rowIcon(row);
    } else if (index.column() == SizeColumn) {
        if (role == Qt::DisplayRole)
            return sizeText(queue_.at(row).FName);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
    }
    return {};
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section == SizeColumn)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
        case FilenameColumn:
            return QStringLiteral("Filename");
        case SizeColumn:
            return QStringLiteral("Size (bytes)");
        default:
            return {};
    }
}

}  // namespace pixmorrow
