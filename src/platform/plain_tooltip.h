#pragma once

#include <QString>

namespace pixmorrow {

// A tooltip that shows `text` as it is. Tooltips read text that looks like markup as markup,
// and file names may look like it (a file named "<img src=...>.png"); such text is wrapped
// as escaped text, any other comes back unchanged.
QString plainToolTip(const QString& text);

}  // namespace pixmorrow
