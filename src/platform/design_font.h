#pragma once

#include <QFont>

namespace pixmorrow {

// `base` at a size the window's design gives in pixels at 96 DPI. The size is set in points,
// so the text grows with the user's font DPI, as the rest of the desktop's text does, instead
// of staying at its pixel height.
QFont designFont(QFont base, int pixelsAt96Dpi, bool bold = false, bool underline = false);

}  // namespace pixmorrow
