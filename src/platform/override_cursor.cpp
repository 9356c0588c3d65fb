#include "platform/override_cursor.h"

#include <QApplication>
#include <QCursor>

namespace pixmorrow {

OverrideCursor::OverrideCursor(Qt::CursorShape shape, When when)
    : active_(when == Always || QApplication::overrideCursor() != nullptr) {
    if (active_)
        QApplication::setOverrideCursor(shape);
}

OverrideCursor::~OverrideCursor() {
    if (active_)
        QApplication::restoreOverrideCursor();
}

}  // namespace pixmorrow
