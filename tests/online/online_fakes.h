#pragma once

#include "online/form_post.h"
#include "online/update_store.h"
#include "platform/error.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace pixmorrow::testing {

// The update store in memory; `failOpen` plays a key that cannot be opened.
class MemoryUpdateStore final : public UpdateStore {
public:
    bool open() override { return !failOpen; }
    std::optional<QString> readString(const QString& name) override {
        const auto found = values.find(name);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }
    bool writeString(const QString& name, const QString& value) override {
        values[name] = value;
        return true;
    }

    std::map<QString, QString> values;
    bool failOpen = false;
};

// Answers posts from prepared replies per road and records each call; a missing reply fails.
class ScriptedPoster final : public FormPoster {
public:
    struct Call {
        QString url;
        FormFields fields;
        int timeoutMs;
    };

    QString PostForm(const QString& url, const FormFields& fields, int timeoutMs) override {
        calls.push_back({url, fields, timeoutMs});
        if (onPost)
            onPost();
        const std::optional<QString>& reply = isSecureUrl(url) ? secureReply : plainReply;
        if (!reply)
            throw Error(QStringLiteral("no answer"));
        return *reply;
    }

    std::optional<QString> secureReply;
    std::optional<QString> plainReply;
    std::vector<Call> calls;
    // Called at each post, before it answers.
    std::function<void()> onPost;
};

// A service reply: version, url, one more line, result.
inline QString checkReply(const QString& version,
                          const QString& url = QStringLiteral("https://dl.example/p.zip"),
                          const QString& result = QStringLiteral("1")) {
    return QStringLiteral(
               "<version>%1</version>\r\n<url>%2</url>\r\n<news>-</news>\r\n<result>%3</"
               "result>\r\n")
        .arg(version, url, result);
}

}  // namespace pixmorrow::testing
