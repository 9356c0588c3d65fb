#include "online/service_reply.h"

#include <QList>
#include <QStringDecoder>

namespace pixmorrow {

QByteArray charsetOf(const QByteArray& contentType) {
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts[i].trimmed();
        const qsizetype equals = part.indexOf('=');
        if (equals < 0)
            continue;
        if (part.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = part.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) {
            value = value.mid(1, value.size() - 2);
        }
        return value.toLower();
    }
    return {};
}

QString decodeReplyBody(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray charset = charsetOf(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

QString ReadReplyTag(const QString& line, const QString& tag) {
    if (line.isEmpty() || tag.isEmpty())
        return {};
    const QString name = tag.toLower();
    const QString opening = u'<' + name + u'>';
    const QString closing = QStringLiteral("</") + name + u'>';
    if (line.size() < opening.size() + closing.size())
        return {};
    if (!line.startsWith(opening) || !line.endsWith(closing))
        return {};
    return line.mid(opening.size(), line.size() - opening.size() - closing.size());
}

}  // namespace pixmorrow
