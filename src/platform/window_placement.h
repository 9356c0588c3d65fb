#pragma once

class QSize;
class QWidget;

namespace pixmorrow {

// Moves `window` to the middle of the available area of the screen `near` is on, or of the
// primary screen when `near` is null; the windows open there.
void centerOnScreen(QWidget& window, const QWidget* near = nullptr);

// Gives a widget the size its design names as its least, or the one its text asks for when
// that is larger (a larger font); 0 leaves that side to the widget. Called once its text and
// font are set. Unlike setMinimumSize alone, it never lets a layout cut the text.
void setLeastSize(QWidget& widget, const QSize& design);

// Fixes the size of a window the user cannot resize: its design size at the default font,
// and as much more as its layout needs when larger text does not fit in that (the design
// size is the least it gets). Called once its texts are set.
void fixSizeToFit(QWidget& window, const QSize& design);

}  // namespace pixmorrow
