// The feedback window: the e-mail pattern, the sent fields, the reply, and the window's keys
// and choices.
#include "online/curl_form_poster.h"
#include "online/feedback_form.h"
#include "online/online_fakes.h"
#include "online/service_server.h"
#include "support/recording_dialogs.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace pixmorrow {
namespace {

using testing::RecordingDialogs;
using testing::ScriptedPoster;

TEST(FeedbackEmail, ThePatternMustMatchTheWholeAddress) {
    struct Case {
        QString email;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"user@example.com", true},
        {"first.last+tag_1-x@mail-server.example.org", true},
        {"a@b.c", true},
        {"a@b.c9", true},
        {"user@localhost", false},  // no dot after the at sign
        {"user@example.", false},   // ends in a dot
        {"user@example.com.", false},
        {"user@example.-", false},
        {"jürgen@example.com", false},  // a letter outside ASCII
        {"user@exämple.com", false},
        {"user@example.cöm", false},
        {"first..last@example.com", true},  // two dots before the at sign
        {"user@example..com", true},        // and after the first dot behind it
        {"user@.example.com", false},
        {"@example.com", false},
        {"user@@example.com", false},
        {"user example@example.com", false},
        {"user@example.com\n", false},
        {"x user@example.com", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidEmail(c.email), c.valid) << c.email.toStdString();
}

TEST(FeedbackChoice, AtMostOneIsSelectedAndASecondClickClears) {
    FeedbackChoice choice;
    choice.clickLike();
    EXPECT_TRUE(choice.like());
    choice.clickDislike();
    EXPECT_FALSE(choice.like());
    EXPECT_TRUE(choice.dislike());
    choice.clickDislike();
    EXPECT_FALSE(choice.like());
    EXPECT_FALSE(choice.dislike());
}

TEST(FeedbackReply, OnlyOkCounts) {
    for (const QString& reply :
         {QStringLiteral("OK"), QStringLiteral("OK\r\n"), QStringLiteral(" OK\n")}) {
        EXPECT_TRUE(feedbackDelivered(reply)) << reply.toStdString();
    }
    for (const QString& reply :
         {QStringLiteral("ok"), QStringLiteral("OK!"), QStringLiteral("OK\r\nmore"),
          QStringLiteral("ERROR"), QString()}) {
        EXPECT_FALSE(feedbackDelivered(reply)) << reply.toStdString();
    }
}

QString germanCaptions(const QString& key) {
    static const std::map<QString, QString> german = {
        {"I like it!", "Gefällt mir!"},
        {"I dislike it!", "Gefällt mir nicht!"},
        {"Invalid e-mail address!", "Ungültige E-Mail-Adresse!"},
        {"Failure", "Fehler"},
    };
    const auto found = german.find(key);
    return found == german.end() ? key : found->second;
}

class FeedbackSending : public ::testing::Test {
protected:
    FeedbackSender sender(Translator translate = [](const QString& k) { return k; }) {
        return FeedbackSender(dialogs, poster, identity, QStringLiteral("service.test"),
                              std::move(translate));
    }
    QStringList sentFields() const {
        QStringList sent;
        if (poster.calls.empty())
            return sent;
        for (const FormField& f : poster.calls.front().fields)
            sent << f.name + u'=' + f.value;
        return sent;
    }
    RecordingDialogs dialogs;
    ScriptedPoster poster;
    AppIdentity identity{
        QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"), QStringLiteral("2.0"), {}};
};

TEST_F(FeedbackSending, TheSentLinesReadEnglishOrEnglishWithTheTranslationInParentheses) {
    poster.secureReply = QStringLiteral("OK");
    struct Case {
        Translator translate;
        FeedbackInput input;
        QString feedback;
    };
    const Translator english = [](const QString& k) { return k; };
    const std::vector<Case> cases = {
        {english,
         {true, false, "I like it!", "I dislike it!", "  Nice tool.\n", ""},
         "I like it!\rNice tool."},
        {germanCaptions,
         {true, false, "Gefällt mir!", "Gefällt mir nicht!", "Gut", ""},
         "I like it! (Gefällt mir!)\rGut"},
        {germanCaptions,
         {false, true, "Gefällt mir!", "Gefällt mir nicht!", "Schlecht", ""},
         "I dislike it! (Gefällt mir nicht!)\rSchlecht"},
        {english, {false, false, "I like it!", "I dislike it!", "Just text", ""}, "Just text"},
    };
    for (const Case& c : cases) {
        poster.calls.clear();
        EXPECT_EQ(sender(c.translate).send(c.input), FeedbackSender::Outcome::Delivered);
        EXPECT_EQ(sentFields(), QStringList({"cmd=feedback", "appname=TARNWICK - Pixmorrow",
                                             "version=2.0", "feedback=" + c.feedback}));
    }
    EXPECT_EQ(poster.calls.front().url, "https://service.test/php/feedback.php");
    EXPECT_EQ(poster.calls.front().timeoutMs, 3000);
}

TEST_F(FeedbackSending, AnEmptyTextBeepsAndSendsNothing) {
    FeedbackInput input{true, false, "I like it!", "I dislike it!", " \t\r\n ", "user@example.com"};
    EXPECT_EQ(sender().send(input), FeedbackSender::Outcome::EmptyText);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(poster.calls.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FeedbackSending, AnInvalidAddressIsReportedAndSendsNothing) {
    FeedbackInput input{false, false, "I like it!", "I dislike it!", "Text", " user@localhost "};
    EXPECT_EQ(sender(germanCaptions).send(input), FeedbackSender::Outcome::InvalidEmail);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Ungültige E-Mail-Adresse!");
    EXPECT_EQ(dialogs.messages[0].title, "Fehler");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(poster.calls.empty());
}

TEST_F(FeedbackSending, AnAddressIsSentTrimmedAndBlanksSendNoEmailField) {
    poster.secureReply = QStringLiteral("OK");
    sender().send({false, false, "I like it!", "I dislike it!", "Text", "  user@example.com\t"});
    EXPECT_EQ(sentFields().last(), "email=user@example.com");
    poster.calls.clear();
    sender().send({false, false, "I like it!", "I dislike it!", "Text", "   "});
    EXPECT_EQ(sentFields().last(), "feedback=Text");
}

TEST_F(FeedbackSending, TheReplyDecidesBetweenSuccessAndFailure) {
    struct Case {
        std::optional<QString> secure;
        std::optional<QString> plain;
        FeedbackSender::Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"OK\r\n", {}, FeedbackSender::Outcome::Delivered},
        {{}, "OK", FeedbackSender::Outcome::Delivered},
        {"ok", {}, FeedbackSender::Outcome::Failed},
        {"ERROR: too long", {}, FeedbackSender::Outcome::Failed},
        {{}, {}, FeedbackSender::Outcome::Failed},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        poster.secureReply = c.secure;
        poster.plainReply = c.plain;
        // Busy from before the first post until after the last, and no longer than that:
        // the box comes after the cursor is back.
        QStringList events;
        poster.onPost = [&events] { events << QStringLiteral("post"); };
        dialogs.onMessage = [&events](const auto&) { events << QStringLiteral("box"); };
        FeedbackSender s = sender();
        s.onBusy = [&events](bool on) {
            events << (on ? QStringLiteral("on") : QStringLiteral("off"));
        };
        EXPECT_EQ(s.send({false, false, "I like it!", "I dislike it!", "Text", ""}), c.outcome);
        QStringList expected = {QStringLiteral("on"), QStringLiteral("post")};
        if (!c.secure)
            expected << QStringLiteral("post");  // the plain retry
        expected << QStringLiteral("off") << QStringLiteral("box");
        EXPECT_EQ(events, expected);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (c.outcome == FeedbackSender::Outcome::Delivered) {
            EXPECT_EQ(dialogs.messages[0].text, "Your feedback is received.\r\rThank you!");
            EXPECT_EQ(dialogs.messages[0].title, "Success");
            EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
        } else {
            EXPECT_EQ(dialogs.messages[0].text,
                      "Something went wrong. Your feedback could not be delivered.\r\rPlease try "
                      "again later.");
            EXPECT_EQ(dialogs.messages[0].title, "Failure");
            EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
        }
    }
}

class FeedbackWindow : public FeedbackSending {};

TEST_F(FeedbackWindow, CaptionsAreTranslatedAndThePanelsToggle) {
    TFeedbackForm form(dialogs, poster, identity, nullptr, germanCaptions,
                       QStringLiteral("service.test"));
    EXPECT_EQ(form.windowTitle(), "Pixmorrow feedback");
    EXPECT_EQ(form.Panel4->caption(), "Gefällt mir!");
    EXPECT_EQ(form.Panel5->caption(), "Gefällt mir nicht!");
    EXPECT_EQ(form.size(), QSize(525, 326));
    EXPECT_EQ(form.Edit1->maxLength(), 100);
    QTest::mousePress(form.Panel4, Qt::RightButton);
    EXPECT_FALSE(form.Panel4->selected());
    QTest::mousePress(form.Image1, Qt::LeftButton);
    EXPECT_TRUE(form.Panel4->selected());
    EXPECT_EQ(form.Panel4->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Highlight));
    QTest::mousePress(form.Panel5, Qt::LeftButton);
    EXPECT_FALSE(form.Panel4->selected());
    EXPECT_TRUE(form.Panel5->selected());
    EXPECT_EQ(form.Panel4->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    QTest::mousePress(form.Image2, Qt::LeftButton);
    EXPECT_FALSE(form.Panel5->selected());
}

TEST_F(FeedbackWindow, SendingFocusesTheFieldAtFaultOrClosesWhenDelivered) {
    TFeedbackForm form(
        dialogs, poster, identity, nullptr, [](const QString& k) { return k; },
        QStringLiteral("service.test"));
    form.show();
    form.activateWindow();
    form.Edit1->setFocus();
    form.BitBtn1Click();
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(form.focusWidget(), form.Memo1);

    form.Memo1->setPlainText(QStringLiteral("Works well"));
    form.Edit1->setText(QStringLiteral("nobody@nowhere"));
    form.BitBtn1Click();
    EXPECT_EQ(form.focusWidget(), form.Edit1);
    EXPECT_TRUE(poster.calls.empty());

    form.Edit1->setText(QStringLiteral("somebody@somewhere.example"));
    poster.secureReply = QStringLiteral("ok");
    form.BitBtn1Click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Memo1->toPlainText(), "Works well");

    // The whole application shows the busy cursor during the post, and only then.
    const auto cursorShape = [] {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor ? QString::number(cursor->shape()) : QStringLiteral("none");
    };
    QStringList cursors;
    poster.onPost = [&] { cursors << QStringLiteral("post ") + cursorShape(); };
    dialogs.onMessage = [&](const auto&) { cursors << QStringLiteral("box ") + cursorShape(); };
    poster.secureReply = QStringLiteral("OK\n");
    form.BitBtn1Click();
    EXPECT_EQ(cursors, (QStringList{QStringLiteral("post %1").arg(int(Qt::WaitCursor)),
                                    QStringLiteral("box none")}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(FeedbackWindow, EscapeClosesFromTheTextTheAddressAndTheButton) {
    for (int target = 0; target < 3; ++target) {
        TFeedbackForm form(
            dialogs, poster, identity, nullptr, [](const QString& k) { return k; },
            QStringLiteral("service.test"));
        form.show();
        QWidget* widgets[] = {form.Memo1, form.Edit1, form.BitBtn1};
        widgets[target]->setFocus();
        QTest::keyClick(widgets[target], Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible()) << target;
        EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    }
}

TEST_F(FeedbackWindow, TheTextIsCappedAtTenThousandCharacters) {
    TFeedbackForm form(
        dialogs, poster, identity, nullptr, [](const QString& k) { return k; },
        QStringLiteral("service.test"));
    form.Memo1->setPlainText(QString(10050, u'x'));
    EXPECT_EQ(form.Memo1->toPlainText().size(), 10000);
}

// The whole road against the local service: the secure attempt meets plain HTTP, the plain
// retry answers "OK".
TEST_F(FeedbackWindow, DeliversToTheLocalService) {
    testing::ServiceServer server;
    ASSERT_NE(server.port(), 0);
    CurlFormPoster real;
    TFeedbackForm form(
        dialogs, real, identity, nullptr, [](const QString& k) { return k; }, server.host());
    form.show();
    form.Memo1->setPlainText(QStringLiteral("Hello"));
    form.BitBtn1Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Success");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace pixmorrow
