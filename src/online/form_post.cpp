#include "online/form_post.h"

#include <QUrl>

namespace pixmorrow {

QByteArray encodeFormBody(const FormFields& fields) {
    QByteArray body;
    for (const FormField& field : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(field.name);
        body += '=';
        body += QUrl::toPercentEncoding(field.value);
    }
    return body;
}

bool isSecureUrl(const QString& url) {
    return url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

ExchangeResult exchangeWithService(FormPoster& poster, const QString& host, const QString& path,
                                   const FormFields& fields, int timeoutMs) {
    ExchangeResult result;
    try {
        result.reply = poster.PostForm(QStringLiteral("https://") + host + path, fields, timeoutMs);
        result.ok = true;
        return result;
    } catch (...) {
        result.secureFailed = true;
    }
    try {
        result.reply = poster.PostForm(QStringLiteral("http://") + host + path, fields, timeoutMs);
        result.ok = true;
    } catch (...) {
        result.reply.clear();
    }
    return result;
}

}  // namespace pixmorrow
