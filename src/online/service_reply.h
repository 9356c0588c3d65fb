#pragma once

#include <QByteArray>
#include <QString>

namespace pixmorrow {

// The reply body as text: in the charset the Content-Type names, else (none named, or one we
// cannot decode) UTF-8.
QString decodeReplyBody(const QByteArray& body, const QByteArray& contentType);

// The charset parameter of a Content-Type value, lower-cased; empty when there is none.
QByteArray charsetOf(const QByteArray& contentType);

// The value of "<tag>value</tag>" filling a whole line (tag in lower case, exact match,
// nothing trimmed); empty otherwise, and for an empty line or tag name.
QString ReadReplyTag(const QString& line, const QString& tag);

}  // namespace pixmorrow
