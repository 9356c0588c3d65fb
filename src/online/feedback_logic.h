#pragma once

#include "about/app_identity.h"
#include "online/form_post.h"
#include "online/translator.h"
#include "platform/text.h"

#include <QString>

#include <functional>

namespace pixmorrow {

class Dialogs;

inline constexpr int kFeedbackTimeoutMs = 3000;
inline constexpr int kFeedbackMaxLength = 10000;
inline constexpr int kEmailMaxLength = 100;

// The e-mail pattern the feedback window accepts; it must match the whole text.
inline const char kEmailPattern[] = "^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";

// True when the whole of `email` matches kEmailPattern (PCRE2).
bool IsValidEmail(const QString& email);

// The two selectable panels at the top: at most one is selected, a click on the selected one
// clears it.
class FeedbackChoice {
public:
    void clickLike();
    void clickDislike();
    bool like() const { return like_; }
    bool dislike() const { return dislike_; }

private:
    bool like_ = false;
    bool dislike_ = false;
};

// What the user entered.
struct FeedbackInput {
    bool like = false;
    bool dislike = false;
    QString likeCaption;  // the panels' captions as shown (translated)
    QString dislikeCaption;
    QString text;   // Memo1
    QString email;  // Edit1
};

// "I like it!", with the shown caption in parentheses when it is a translation.
QString choiceLine(const QString& english, const QString& shownCaption);

// The sent "feedback" value: the chosen line and a CR, then the text (already trimmed).
QString feedbackValue(const FeedbackInput& input, const QString& trimmedText);

// The post's fields: cmd, appname, version, feedback, and email when there is one.
FormFields feedbackFields(const AppIdentity& identity, const QString& feedback,
                          const QString& email);

// True when the service's reply, trimmed, is exactly "OK".
bool feedbackDelivered(const QString& reply);

// The Send button's work, apart from the window: checks, posts and reports through Dialogs.
class FeedbackSender {
public:
    enum class Outcome {
        EmptyText,     // beeped; the focus belongs in the text
        InvalidEmail,  // reported; the focus belongs in the e-mail field
        Delivered,     // reported; the window closes
        Failed,        // reported; the window stays as it is
    };

    FeedbackSender(Dialogs& dialogs, FormPoster& poster, AppIdentity identity, QString host,
                   Translator translate = defaultTranslator());

    // Called with true before the exchange and false after it (the busy cursor).
    std::function<void(bool)> onBusy;

    Outcome send(const FeedbackInput& input);

private:
    Dialogs& dialogs_;
    FormPoster& poster_;
    AppIdentity identity_;
    QString host_;
    Translator translate_;
};

}  // namespace pixmorrow
