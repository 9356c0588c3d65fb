#include "conversion/run/output_types.h"

namespace pixmorrow {

const QStringList& outputTypes() {
    static const QStringList types = {
        QStringLiteral("WEBP"), QStringLiteral("PNG"),  QStringLiteral("APNG"),
        QStringLiteral("JPG"),  QStringLiteral("JPEG"), QStringLiteral("JFIF"),
        QStringLiteral("TIF"),  QStringLiteral("TIFF"), QStringLiteral("GIF"),
        QStringLiteral("BMP"),  QStringLiteral("ICO"),  QStringLiteral("WMP"),
    };
    return types;
}

QString outputExtension(const QString& type) {
    return u'.' + type.toLower();
}

bool usesQuality(const QString& type) {
    return type == QStringLiteral("WEBP") || type == QStringLiteral("JPEG") ||
           type == QStringLiteral("JPG") || type == QStringLiteral("JFIF");
}

}  // namespace pixmorrow
