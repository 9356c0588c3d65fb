#include "platform/drop_action.h"

#include <QDropEvent>

namespace pixmorrow {

bool acceptAsCopy(QDropEvent& event) {
    if (!event.possibleActions().testFlag(Qt::CopyAction)) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

}  // namespace pixmorrow
