#pragma once

class QWidget;

namespace pixmorrow {

// Moves `window` to the middle of the available area of the screen `near` is on, or of the
// primary screen when `near` is null; the windows open there.
void centerOnScreen(QWidget& window, const QWidget* near = nullptr);

}  // namespace pixmorrow
