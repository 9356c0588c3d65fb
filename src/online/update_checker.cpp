#include "online/update_checker.h"

#include "localization/language.h"
#include "online/curl_form_poster.h"
#include "online/maker_site.h"
#include "online/scramble.h"
#include "online/service_fields.h"
#include "online/service_reply.h"
#include "platform/text.h"

#include <QDate>
#include <QLocale>

namespace pixmorrow {

QString todayInShortFormat() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

TChecker::TChecker(CheckerSetup setup) : setup_(std::move(setup)) {
    if (!setup_.store)
        setup_.store = std::make_unique<QSettingsUpdateStore>();
    if (!setup_.poster) {
        CurlFormPoster::Options options;
        options.cancelled = &cancelled_;
        options.userAgent =
            setup_.identity.AppProductName.isEmpty()
                ? QStringLiteral("Pixmorrow")
                : setup_.identity.AppProductName + u'/' + setup_.identity.AppVersion;
        setup_.poster = std::make_unique<CurlFormPoster>(options);
    }
    if (!setup_.today)
        setup_.today = todayInShortFormat;
    if (!setup_.machineGuid)
        setup_.machineGuid = GetMachineGuid;
    if (!setup_.localeCode)
        setup_.localeCode = GetLocaleCode;
    if (!setup_.osField)
        setup_.osField = GetOsField;
}

TChecker::~TChecker() {
    cancelled_.store(true, std::memory_order_release);
    if (worker_.joinable())
        worker_.join();
}

void TChecker::start() {
    if (worker_.joinable())
        return;
    worker_ = std::thread([this] { Execute(); });
}

void TChecker::Execute() {
    done_.store(false, std::memory_order_release);
    try {
        CheckNow();
    } catch (...) {
        // The check never reports anything; a failure just ends it.
        results_.CheckFailed = true;
        results_.NoticePending = false;
    }
    done_.store(true, std::memory_order_release);
}

void TChecker::CheckNow() {
    results_.CheckFailed = false;

    QString guid;
    try {
        guid = setup_.machineGuid();
    } catch (...) {
        recordFailure();
    }

    UpdateStore& store = *setup_.store;
    if (!store.open())
        recordFailure();

    const QString last = readStoreText(store, kLastUpdateCheck);
    int count = readStoreInteger(store, kLastUpdateCheckCount, 0);
    results_.DownloadURL = UnscrambleText(readStoreText(store, kCurrentURL));
    results_.ShowUpdate = readStoreInteger(store, kShowUpdate, 1);
    if (results_.ShowUpdate == 0)
        return;

    const QString today = setup_.today();
    if (last == today && count >= kRequestsPerDay)
        return;

    count = last == today ? count + 1 : 1;
    store.writeString(kLastUpdateCheck, today);
    store.writeString(kLastUpdateCheckCount, QString::number(count));

    FormFields fields{{QStringLiteral("cmd"), QStringLiteral("check")}};
    for (FormField& field : identityFields(setup_.identity))
        fields.push_back(std::move(field));
    fields.push_back({QStringLiteral("os"), setup_.osField()});
    try {
        fields.push_back({QStringLiteral("local"), setup_.localeCode()});
    } catch (...) {
        recordFailure();
    }
    fields.push_back({QStringLiteral("guid"), guid});

    if (cancelled_.load(std::memory_order_acquire))
        return;
    const QString host = setup_.host.isEmpty() ? makerHost() : setup_.host;
    const ExchangeResult exchange =
        exchangeWithService(*setup_.poster, host, kCheckPath, fields, setup_.timeoutMs);
    if (exchange.secureFailed) {
        // The plain retry decides: it clears what was recorded so far, or records its failure.
        results_.CheckFailed = !exchange.ok;
    }
    const QString& reply = exchange.reply;

    if (reply.startsWith(QStringLiteral("ERROR")))
        recordFailure();

    const QStringList lines = splitLines(reply);
    auto line = [&lines](int index) { return index < lines.size() ? lines[index] : QString(); };
    if (!results_.CheckFailed) {
        const QString result = ReadReplyTag(line(3), QStringLiteral("result"));
        if (result != QStringLiteral("0") && result != QStringLiteral("1"))
            recordFailure();
    }
    if (results_.CheckFailed)
        return;

    results_.ServerVersion = ReadReplyTag(line(0), QStringLiteral("version"));
    results_.DownloadURL = ReadReplyTag(line(1), QStringLiteral("url"));
    // A reply that came in clear may have been changed on the way: it is shown this once,
    // never kept for later starts.
    if (!exchange.secureFailed) {
        store.writeString(kCurrentVersion, results_.ServerVersion);
        store.writeString(kCurrentURL, ScrambleText(results_.DownloadURL));
    }

    bool numeric = false;
    QString(results_.ServerVersion).remove(u'.').toInt(&numeric);
    if (results_.ServerVersion != setup_.identity.AppVersion && numeric &&
        results_.ShowUpdate == 1) {
        if (last != today || count <= kNoticesPerDay)
            results_.NoticePending = true;
    }
}

}  // namespace pixmorrow
