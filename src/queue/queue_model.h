#pragma once

#include <QAbstractTableModel>

#include <functional>

namespace pixmorrow {

class IconSource;
class ImageQueue;
class RowIconList;

// The queue view's model. It holds no rows of its own: the row count is whatever it was last
// told (the queue length after each change) and every cell is built when it is drawn, so the
// work follows the visible rows, however long the queue.
class QueueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FilenameColumn = 0, SizeColumn = 1, ColumnCount = 2 };

    QueueModel(ImageQueue& queue, RowIconList& icons, IconSource& iconSource,
               std::function<bool()> displayIcons, QObject* parent = nullptr);

    // Sets the row count to the queue's length: rows added at the end are announced as
    // inserted (cheap while a scan appends one at a time), anything else resets the view.
    void syncRowCount();

    // The size text of a row: the file's size looked up now, -1 when missing, with the
    // locale's thousands separator.
    static QString sizeText(const QString& path);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The row icon (ListView1Data's icon step): fetched once per entry, slot cached.
    QIcon rowIcon(std::size_t row) const;

    ImageQueue& queue_;
    RowIconList& icons_;
    IconSource& iconSource_;
    std::function<bool()> displayIcons_;
    int rows_ = 0;
};

}  // namespace pixmorrow
