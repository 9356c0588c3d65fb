#include "queue/icon_source.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace pixmorrow {

QIcon DesktopIconSource::iconFor(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    static QFileIconProvider provider;
    return provider.icon(info);
}

}  // namespace pixmorrow
