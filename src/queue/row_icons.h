#pragma once

#include <QIcon>

#include <vector>

namespace pixmorrow {

// The row-icon list the queue view draws from: two stock icons in slots 0 and 1 after every
// reset, then each fetched file icon in the next slot. Slots are only removed by reset.
class RowIconList {
public:
    void reset(const QIcon& stock0, const QIcon& stock1);
    // Appends a copy of the icon; its slot, or -1 for a null icon.
    int add(const QIcon& icon);
    // The icon in a slot; a null icon for a slot that does not exist.
    QIcon icon(int slot) const;
    int count() const { return static_cast<int>(icons_.size()); }

private:
    std::vector<QIcon> icons_;
};

}  // namespace pixmorrow
