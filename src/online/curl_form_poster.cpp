#include "online/curl_form_poster.h"

#include "online/service_reply.h"
#include "platform/error.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace pixmorrow {

namespace {

using SteadyClock = std::chrono::steady_clock;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    QByteArray body;
    bool tooLarge = false;
    const std::atomic<bool>* cancelled = nullptr;
    std::chrono::milliseconds responseTimeout{0};
    SteadyClock::time_point lastActivity = SteadyClock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;
    bool idleExpired = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + static_cast<qsizetype>(bytes) > CurlFormPoster::kMaxReplyBytes) {
        transfer->tooLarge = true;
        return 0;  // makes curl stop with a write error
    }
    transfer->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

// Gives up when the program is ending, and when nothing moved for the response time-out
// (curl's own limits cover the connection and the transfer as a whole).
int watchProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->cancelled && transfer->cancelled->load(std::memory_order_acquire))
        return 1;
    const auto now = SteadyClock::now();
    if (down != transfer->lastDown || up != transfer->lastUp) {
        transfer->lastDown = down;
        transfer->lastUp = up;
        transfer->lastActivity = now;
        return 0;
    }
    if (now - transfer->lastActivity > transfer->responseTimeout) {
        transfer->idleExpired = true;
        return 1;
    }
    return 0;
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

CurlFormPoster::CurlFormPoster() : CurlFormPoster(Options{}) {}

CurlFormPoster::CurlFormPoster(Options options) : options_(std::move(options)) {
    initialiseCurlOnce();
}

QString CurlFormPoster::PostForm(const QString& url, const FormFields& fields, int timeoutMs) {
    const bool secure = isSecureUrl(url);
    const QByteArray address = url.toUtf8();
    const QByteArray body = encodeFormBody(fields);
    const QByteArray agent = options_.userAgent.toUtf8();
    const QByteArray caFile = options_.caFile.toLocal8Bit();
    const long timeout = timeoutMs > 0 ? timeoutMs : 1;

    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        throw Error(QStringLiteral("Could not start the web request."));
    std::unique_ptr<curl_slist, ListDeleter> headers;
    headers.reset(curl_slist_append(headers.release(), "Connection: close"));
    // No "Expect: 100-continue" round trip for longer bodies.
    headers.reset(curl_slist_append(headers.release(), "Expect:"));
    if (!headers)
        throw Error(QStringLiteral("Could not start the web request."));

    Transfer transfer;
    transfer.cancelled = options_.cancelled;
    transfer.responseTimeout = std::chrono::milliseconds(timeout);
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, address.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // HTTP/1.1 as the service expects, so "Connection: close" means what it says.
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeout);
    // The connection and then the response each get the time-out.
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, 2 * timeout);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, watchProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    if (secure) {
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
        // Never from the secure road down to plain http.
        curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!caFile.isEmpty())
            curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    } else {
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    }

    const CURLcode code = curl_easy_perform(c);
    if (code != CURLE_OK) {
        QString reason;
        if (transfer.tooLarge) {
            reason = QStringLiteral("the reply is too long");
        } else if (transfer.idleExpired) {
            reason = QStringLiteral("no response in time");
        } else if (errorText[0] != '\0') {
            reason = QString::fromUtf8(errorText);
        } else {
            reason = QString::fromUtf8(curl_easy_strerror(code));
        }
        throw Error(QStringLiteral("The request to %1 failed: %2").arg(url, reason));
    }

    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (!secure && status >= 400) {
        throw Error(
            QStringLiteral("The request to %1 failed: HTTP status %2").arg(url).arg(status));
    }
    char* contentType = nullptr;
    curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType);
    return decodeReplyBody(transfer.body, contentType ? QByteArray(contentType) : QByteArray());
}

}  // namespace pixmorrow
