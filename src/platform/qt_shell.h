#pragma once

#include "platform/shell.h"

namespace pixmorrow {

// The desktop's services: QDesktopServices, the file manager over D-Bus, QProcess.
class QtShell final : public Shell {
public:
    bool openUrl(const QString& url) override;
    bool openPath(const QString& path) override;
    bool showItemProperties(const QString& path) override;
    bool showItemInFileManager(const QString& path) override;
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingFolder) override;
};

}  // namespace pixmorrow
