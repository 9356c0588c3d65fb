#pragma once

#include "platform/file_dialogs.h"

#include <deque>
#include <vector>

namespace pixmorrow::testing {

// Answers file and folder dialogs from prepared lists and records how they were opened.
class RecordingFileDialogs final : public FileDialogs {
public:
    struct FolderRequest {
        QString title;
        QString acceptLabel;
        QString startFolder;
        bool several;
    };

    QStringList openFiles(const QString& filter, const QString& defaultSuffix) override {
        filters.push_back(filter);
        suffixes.push_back(defaultSuffix);
        return next(fileAnswers);
    }
    QStringList chooseFolders(const QString& title, const QString& acceptLabel,
                              const QString& startFolder, bool several) override {
        folderRequests.push_back({title, acceptLabel, startFolder, several});
        return next(folderAnswers);
    }

    std::deque<QStringList> fileAnswers;
    std::deque<QStringList> folderAnswers;
    std::vector<QString> filters;
    std::vector<QString> suffixes;
    std::vector<FolderRequest> folderRequests;

private:
    static QStringList next(std::deque<QStringList>& answers) {
        if (answers.empty())
            return {};
        QStringList answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace pixmorrow::testing
