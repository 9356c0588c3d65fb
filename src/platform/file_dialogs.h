#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// The open-file and folder dialogs, behind an interface so tests answer them.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // Several files; `filter` is in Qt's syntax ("Desc (*.a *.b);;All (*)"). Empty: cancelled.
    virtual QStringList openFiles(const QString& filter, const QString& defaultSuffix) = 0;

    // One or several existing folders, in the dialog's order. Empty: cancelled.
    virtual QStringList chooseFolders(const QString& title, const QString& acceptLabel,
                                      const QString& startFolder, bool several) = 0;
};

}  // namespace pixmorrow
