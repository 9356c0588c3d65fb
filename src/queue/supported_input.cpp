#include "queue/supported_input.h"

namespace pixmorrow {

const QStringList& supportedExtensions() {
    static const QStringList extensions = {
        QStringLiteral(".bmp"),  QStringLiteral(".gif"),  QStringLiteral(".ico"),
        QStringLiteral(".wmp"),  QStringLiteral(".png"),  QStringLiteral(".apng"),
        QStringLiteral(".tif"),  QStringLiteral(".tiff"), QStringLiteral(".jpg"),
        QStringLiteral(".jpeg"), QStringLiteral(".jfif"), QStringLiteral(".webp"),
        QStringLiteral(".avif"), QStringLiteral(".psd"),  QStringLiteral(".heic"),
        QStringLiteral(".heif"), QStringLiteral(".svg"),  QStringLiteral(".tga"),
        QStringLiteral(".jxl"),  QStringLiteral(".jp2"),
    };
    return extensions;
}

QString lowerExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const qsizetype boundary =
        std::max({name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'), name.lastIndexOf(u':')});
    if (dot < boundary)
        return {};
    return asciiLower(name.mid(dot));
}

bool Destekleniyormu(const QString& name) {
    const QString extension = lowerExtension(name);
    return !extension.isEmpty() && supportedExtensions().contains(extension);
}

}  // namespace pixmorrow
