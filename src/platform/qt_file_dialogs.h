#pragma once

#include "platform/file_dialogs.h"

namespace pixmorrow {

class QtFileDialogs final : public FileDialogs {
public:
    QStringList openFiles(const QString& filter, const QString& defaultSuffix) override;
    QStringList chooseFolders(const QString& title, const QString& acceptLabel,
                              const QString& startFolder, bool several) override;
};

}  // namespace pixmorrow
