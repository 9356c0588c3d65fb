#include "about/picture.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace pixmorrow {

QPixmap renderPicture(const QString& resource, QSize size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize pixels(static_cast<int>(std::lround(size.width() * ratio)),
                       static_cast<int>(std::lround(size.height() * ratio)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (resource.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
            QSvgRenderer renderer(resource);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        } else {
            painter.drawImage(QRectF(QPointF(0, 0), QSizeF(pixels)), QImage(resource));
        }
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

}  // namespace pixmorrow
