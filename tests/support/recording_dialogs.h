#pragma once

#include "platform/dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace pixmorrow::testing {

// Records every message, question and beep instead of showing them; questions are answered
// from a queue of prepared answers (ResultNo when it runs dry).
class RecordingDialogs final : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        MessageIcon icon;
    };
    struct Question {
        QString message;
        DialogKind kind;
        DialogButtons buttons;
        QStringList captions;
        QString title;
    };

    void showMessage(const QString& text, const QString& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
        if (onMessage)
            onMessage(messages.back());
    }
    int MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons buttons,
                               const QStringList& captions, const QString& title) override {
        questions.push_back({message, kind, buttons, captions, title});
        if (answers.empty())
            return ResultNo;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }

    std::vector<Message> messages;
    std::vector<Question> questions;
    std::deque<int> answers;
    int beeps = 0;
    std::function<void(const Message&)> onMessage;
};

}  // namespace pixmorrow::testing
