#include "platform/plain_tooltip.h"

#include <QTextDocument>

namespace pixmorrow {

QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace pixmorrow
