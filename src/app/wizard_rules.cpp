#include "app/wizard_rules.h"

#include "queue/image_queue.h"
#include "queue/supported_input.h"

namespace pixmorrow {

bool shouldSwitchWebpToPng(const ImageQueue& queue, const QString& outputType) {
    if (queue.empty() || outputType != QStringLiteral("WEBP"))
        return false;
    return lowerExtension(queue.at(0).FName) == QStringLiteral(".webp");
}

QString onlineHelpPath(const QString& productName) {
    QString slug = asciiLower(productName);
    slug.replace(u' ', u'-');
    return QStringLiteral("/help/") + slug + u'/';
}

QString countCaption(std::size_t count) {
    return QStringLiteral("Images [") + QString::number(count) + u']';
}

}  // namespace pixmorrow
