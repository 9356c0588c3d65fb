#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace pixmorrow {

// One queued file.
struct TMyRecord {
    QString FName;                 // the path exactly as received
    std::int32_t FImageIndex = 0;  // row-icon slot; 0 not fetched yet, -1 none
    // The folder whose scan added the file (Add Folder, a dropped folder, a folder on the
    // command line); empty for a file added by itself.
    QString scanRoot;
};

// The ordered queue of files the next run converts. Duplicates are allowed. Callers that
// may be interrupted (the folder scan lets the event loop run) hold no index or reference
// into it across such a pause: every operation reads the queue as it is now.
class ImageQueue {
public:
    void append(const QString& path);
    // A file a folder scan found under `scanRoot`.
    void append(const QString& path, const QString& scanRoot);
    // Removes the entry at `index`; an index beyond the end does nothing.
    void removeAt(std::size_t index);
    // Removes the entries at the given rows, ascending and without repeats, keeping the order
    // of the others. One pass over the queue, whatever the number of rows.
    void removeRows(std::span<const std::size_t> sortedRows);
    void clear();

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const TMyRecord& at(std::size_t index) const { return items_.at(index); }
    TMyRecord& at(std::size_t index) { return items_.at(index); }
    const std::vector<TMyRecord>& items() const { return items_; }

private:
    std::vector<TMyRecord> items_;
};

}  // namespace pixmorrow
