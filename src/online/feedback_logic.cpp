#include "online/feedback_logic.h"

#include "online/service_fields.h"
#include "platform/dialogs.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>

namespace pixmorrow {

namespace {

// The compiled pattern, made once; the match data is made per call, so threads may share it.
const pcre2_code* emailPattern() {
    static const pcre2_code* code = [] {
        int error = 0;
        PCRE2_SIZE offset = 0;
        return static_cast<const pcre2_code*>(
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kEmailPattern), PCRE2_ZERO_TERMINATED,
                          PCRE2_UTF | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr));
    }();
    return code;
}

}  // namespace

bool IsValidEmail(const QString& email) {
    const pcre2_code* code = emailPattern();
    if (!code)
        return false;
    const QByteArray subject = email.toUtf8();
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
    if (!match)
        return false;
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.constData()),
                               static_cast<PCRE2_SIZE>(subject.size()), 0,
                               PCRE2_ANCHORED | PCRE2_ENDANCHORED, match, nullptr);
    bool whole = false;
    if (rc > 0) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match);
        whole = ovector[0] == 0 && ovector[1] == static_cast<PCRE2_SIZE>(subject.size());
    }
    pcre2_match_data_free(match);
    return whole;
}

namespace {

// A click on a choice takes it back when it was made, else makes it instead of the other.
void click(bool& clicked, bool& other) {
    if (!clicked)
        other = false;
    clicked = !clicked;
}

}  // namespace

void FeedbackChoice::clickLike() {
    click(like_, dislike_);
}

void FeedbackChoice::clickDislike() {
    click(dislike_, like_);
}

QString choiceLine(const QString& english, const QString& shownCaption) {
    if (shownCaption == english)
        return english;
    return english + QStringLiteral(" (") + shownCaption + u')';
}

QString feedbackValue(const FeedbackInput& input, const QString& trimmedText) {
    QString value;
    if (input.like)
        value += choiceLine(QStringLiteral("I like it!"), input.likeCaption) + u'\r';
    if (input.dislike) {
        value += choiceLine(QStringLiteral("I dislike it!"), input.dislikeCaption) + u'\r';
    }
    return value + trimmedText;
}

FormFields feedbackFields(const AppIdentity& identity, const QString& feedback,
                          const QString& email) {
    FormFields fields{{QStringLiteral("cmd"), QStringLiteral("feedback")}};
    for (FormField& field : identityFields(identity))
        fields.push_back(std::move(field));
    fields.push_back({QStringLiteral("feedback"), feedback});
    if (!email.isEmpty())
        fields.push_back({QStringLiteral("email"), email});
    return fields;
}

bool feedbackDelivered(const QString& reply) {
    return trimBlanksAndControls(reply) == QStringLiteral("OK");
}

FeedbackSender::FeedbackSender(Dialogs& dialogs, FormPoster& poster, AppIdentity identity,
                               QString host, Translator translate)
    : dialogs_(dialogs),
      poster_(poster),
      identity_(std::move(identity)),
      host_(std::move(host)),
      translate_(std::move(translate)) {}

FeedbackSender::Outcome FeedbackSender::send(const FeedbackInput& input) {
    const QString text = trimBlanksAndControls(input.text);
    if (text.isEmpty()) {
        dialogs_.beep();
        return Outcome::EmptyText;
    }
    const QString email = trimBlanksAndControls(input.email);
    if (!email.isEmpty() && !IsValidEmail(email)) {
        dialogs_.showMessage(translate_(QStringLiteral("Invalid e-mail address!")),
                             translate_(QStringLiteral("Failure")), MessageIcon::Error);
        return Outcome::InvalidEmail;
    }
    const FormFields fields = feedbackFields(identity_, feedbackValue(input, text), email);

    if (onBusy)
        onBusy(true);
    ExchangeResult exchange;
    try {
        exchange = exchangeWithService(poster_, host_, kFeedbackPath, fields, kFeedbackTimeoutMs);
    } catch (...) {
        exchange.ok = false;
    }
    if (onBusy)
        onBusy(false);

    if (exchange.ok && feedbackDelivered(exchange.reply)) {
        dialogs_.showMessage(translate_(QStringLiteral("Your feedback is received.")) +
                                 QStringLiteral("\r\r") + translate_(QStringLiteral("Thank you!")),
                             translate_(QStringLiteral("Success")), MessageIcon::Information);
        return Outcome::Delivered;
    }
    dialogs_.showMessage(
        translate_(QStringLiteral("Something went wrong. Your feedback could not be delivered.")) +
            QStringLiteral("\r\r") + translate_(QStringLiteral("Please try again later.")),
        translate_(QStringLiteral("Failure")), MessageIcon::Error);
    return Outcome::Failed;
}

}  // namespace pixmorrow
