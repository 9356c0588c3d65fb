#include "platform/mouse_event.h"

#include <QMouseEvent>

namespace pixmorrow {

QMouseEvent* asMouseEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent*>(event);
        default:
            return nullptr;
    }
}

}  // namespace pixmorrow
