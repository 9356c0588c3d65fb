#include "online/maker_site.h"

#include <QByteArray>

namespace pixmorrow {

QString makerHost() {
    const QByteArray overridden = qgetenv("PIXMORROW_SERVICE_HOST").trimmed();
    if (!overridden.isEmpty()) {
        return QString::fromUtf8(overridden);
    }
    return QStringLiteral(PIXMORROW_DEFAULT_SERVICE_HOST);
}

QString makerUrl(const QString& scheme, const QString& path) {
    return scheme + QStringLiteral("://") + makerHost() + path;
}

QString makerHomePage() {
    return makerUrl(QStringLiteral("http"), QStringLiteral("/"));
}

}  // namespace pixmorrow
