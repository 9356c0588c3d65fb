#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace pixmorrow {

// One field of an HTML form, sent as name=value.
struct FormField {
    QString name;
    QString value;
};
using FormFields = std::vector<FormField>;

// The body of an application/x-www-form-urlencoded post: each field's UTF-8 name and value
// percent-encoded, in the given order, joined by "&".
QByteArray encodeFormBody(const FormFields& fields);

// Posts a form and answers the reply body as text. A URL starting with "https://" (any case)
// takes the secure road: redirects followed (at most 5) and an HTTP error status still being a
// reply. Any other URL takes the plain road: no redirects, an HTTP error status is a failure.
// Failures (no connection, TLS error, time-out, refused status) throw Error.
class FormPoster {
public:
    virtual ~FormPoster() = default;
    // timeoutMs bounds the connection and, separately, the wait for the response.
    virtual QString PostForm(const QString& url, const FormFields& fields, int timeoutMs) = 0;
};

// True when PostForm takes the secure road for this URL.
bool isSecureUrl(const QString& url);

// One exchange with the maker's service: the secure attempt, then once the plain one.
struct ExchangeResult {
    bool secureFailed = false;  // the secure attempt failed (the plain one was then tried)
    bool ok = false;            // one of the attempts answered; `reply` holds its text
    QString reply;
};

// Posts to "https://" + host + path, and when that fails to "http://" + host + path.
ExchangeResult exchangeWithService(FormPoster& poster, const QString& host, const QString& path,
                                   const FormFields& fields, int timeoutMs);

}  // namespace pixmorrow
