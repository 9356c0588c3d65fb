#include "queue/row_icons.h"

namespace pixmorrow {

void RowIconList::reset(const QIcon& stock0, const QIcon& stock1) {
    icons_.clear();
    icons_.push_back(stock0);
    icons_.push_back(stock1);
}

int RowIconList::add(const QIcon& icon) {
    if (icon.isNull())
        return -1;
    icons_.push_back(icon);
    return static_cast<int>(icons_.size()) - 1;
}

QIcon RowIconList::icon(int slot) const {
    if (slot < 0 || static_cast<std::size_t>(slot) >= icons_.size())
        return {};
    return icons_[static_cast<std::size_t>(slot)];
}

}  // namespace pixmorrow
