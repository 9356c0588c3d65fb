#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// What the desktop does for us: open pages and files, show files in the file manager,
// start programs. Results are not checked by callers, as a shell call's would not be.
class Shell {
public:
    virtual ~Shell() = default;

    virtual void openUrl(const QString& url) = 0;
    // Opens a file or folder with the user's default application.
    virtual void openPath(const QString& path) = 0;
    virtual void showItemProperties(const QString& path) = 0;
    virtual void showItemInFileManager(const QString& path) = 0;
    // Starts a program detached from this process; false when it could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingFolder) = 0;
};

// Opens a web page behind a link; a page that does not open is not worth a message.
void openPageQuietly(Shell& shell, const QString& url);

}  // namespace pixmorrow
