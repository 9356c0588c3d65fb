#pragma once

class QDropEvent;

namespace pixmorrow {

// Drops are always copies: a move (Shift while dragging) would let the source application
// delete the originals once they are dropped. Sets the copy action on `event` and accepts it;
// ignores it, and answers false, when its source offers no copy.
bool acceptAsCopy(QDropEvent& event);

}  // namespace pixmorrow
