#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace pixmorrow {

// A picture of the Qt resources (SVG or bitmap) drawn at `size` logical pixels for a
// screen of the given pixel ratio, so it stays sharp at any DPI.
QPixmap renderPicture(const QString& resource, QSize size, qreal devicePixelRatio);

}  // namespace pixmorrow
