#include "queue/image_queue.h"

#include <algorithm>

namespace pixmorrow {

void ImageQueue::append(const QString& path) {
    items_.push_back(TMyRecord{path, 0, {}});
}

void ImageQueue::append(const QString& path, const QString& scanRoot) {
    items_.push_back(TMyRecord{path, 0, scanRoot});
}

void ImageQueue::removeAt(std::size_t index) {
    if (index >= items_.size())
        return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ImageQueue::removeRows(std::span<const std::size_t> sortedRows) {
    // Stable compaction: each kept entry moves at most once.
    std::size_t write = 0;
    std::size_t next = 0;  // position in sortedRows
    for (std::size_t read = 0; read < items_.size(); ++read) {
        while (next < sortedRows.size() && sortedRows[next] < read)
            ++next;
        if (next < sortedRows.size() && sortedRows[next] == read)
            continue;
        if (write != read)
            items_[write] = std::move(items_[read]);
        ++write;
    }
    items_.resize(write);
}

void ImageQueue::clear() {
    items_.clear();
}

}  // namespace pixmorrow
