#pragma once

#include <QAbstractTableModel>

namespace pixmorrow {

class ImageQueue;

// The queue view's model. It holds no rows of its own: the row count is whatever it was last
// told (the queue length after each change) and every cell is built when it is drawn.
class QueueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FilenameColumn = 0, SizeColumn = 1, ColumnCount = 2 };

    explicit QueueModel(const ImageQueue& queue, QObject* parent = nullptr);

    // Sets the row count to the queue's length: rows added at the end are announced as
    // inserted (cheap while a scan appends one at a time), anything else resets the view.
    void syncRowCount();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    const ImageQueue& queue() const { return queue_; }

private:
    const ImageQueue& queue_;
    int rows_ = 0;
};

}  // namespace pixmorrow
