#pragma once

class QEvent;
class QMouseEvent;

namespace pixmorrow {

// `event` as a mouse event when it is a button press, a move, a release or a double-click,
// else null: what the windows dragged by their surfaces filter for.
QMouseEvent* asMouseEvent(QEvent* event);

}  // namespace pixmorrow
