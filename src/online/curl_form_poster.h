#pragma once

#include "online/form_post.h"

#include <atomic>

namespace pixmorrow {

// The real form post over libcurl. The secure road verifies the server against the system's
// certificate store; redirects from it are followed to https addresses only.
class CurlFormPoster final : public FormPoster {
public:
    struct Options {
        // Trust only this CA bundle instead of the system's (tests pass their own CA).
        QString caFile;
        // When set and raised, a running post gives up at once (the program is ending).
        const std::atomic<bool>* cancelled = nullptr;
        QString userAgent = QStringLiteral("Pixmorrow");
    };

    CurlFormPoster();
    explicit CurlFormPoster(Options options);

    QString PostForm(const QString& url, const FormFields& fields, int timeoutMs) override;

    // Longest reply body accepted; the service's replies are a few lines.
    static constexpr qsizetype kMaxReplyBytes = 1 << 20;

private:
    Options options_;
};

}  // namespace pixmorrow
