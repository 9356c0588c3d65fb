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

    void openUrl(const QString& url) override { calls.push_back(QStringLiteral("openUrl ") + url); }
    void openPath(const QString& path) override {
        calls.push_back(QStringLiteral("openPath ") + path);
    }
    void showItemProperties(const QString& path) override {
        calls.push_back(QStringLiteral("showItemProperties ") + path);
    }
    void showItemInFileManager(const QString& path) override {
        calls.push_back(QStringLiteral("showItemInFileManager ") + path);
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
};

}  // namespace pixmorrow::testing
