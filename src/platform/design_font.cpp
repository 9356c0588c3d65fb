#include "platform/design_font.h"

namespace pixmorrow {

QFont designFont(QFont base, int pixelsAt96Dpi, bool bold, bool underline) {
    base.setPointSizeF(pixelsAt96Dpi * 72.0 / 96.0);
    base.setBold(bold);
    base.setUnderline(underline);
    return base;
}

}  // namespace pixmorrow
