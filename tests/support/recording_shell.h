#pragma once

#include "platform/shell.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace pixmorrow::testing {

// Records every shell call as one line: "<call> <argument>".
class RecordingShell final : public Shell {
public:
    struct Start {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };

    bool openUrl(const QString& url) override {
        calls.push_back(QStringLiteral("openUrl ") + url);
        return opens;
    }
    bool openPath(const QString& path) override {
        calls.push_back(QStringLiteral("openPath ") + path);
        return opens;
    }
    bool showItemProperties(const QString& path) override {
        calls.push_back(QStringLiteral("showItemProperties ") + path);
        return opens;
    }
    bool showItemInFileManager(const QString& path) override {
        calls.push_back(QStringLiteral("showItemInFileManager ") + path);
        return opens;
    }
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingFolder) override {
        starts.push_back({program, arguments, workingFolder});
        calls.push_back(QStringLiteral("startDetached ") + program);
        return startSucceeds;
    }

    std::vector<QString> calls;
    std::vector<Start> starts;
    bool startSucceeds = true;
    // What the openers answer: false is a desktop with no application for the item.
    bool opens = true;
};

}  // namespace pixmorrow::testing
