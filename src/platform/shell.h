#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace pixmorrow {

class Dialogs;

// What the desktop does for us: open pages and files, show files in the file manager,
// start programs. Each answers false when it could not do it: no launcher for the desktop,
// or a file or folder that is not there.
class Shell {
public:
    virtual ~Shell() = default;

    virtual bool openUrl(const QString& url) = 0;
    // Opens a file or folder with the user's default application.
    virtual bool openPath(const QString& path) = 0;
    // Both open the file's folder when no file manager answers.
    virtual bool showItemProperties(const QString& path) = 0;
    virtual bool showItemInFileManager(const QString& path) = 0;
    // Starts a program detached from this process.
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingFolder) = 0;
};

// Looks up the user's language for a text (TranslateText, or a test's own).
using TextLookup = std::function<QString(const QString&)>;

enum class ShellItem { WebPage, File, Folder };

// Tells the user that `item` (a web page's address, a file's or a folder's path) could not
// be opened, naming it; the text is looked up through `translate`.
void reportNotOpened(Dialogs& dialogs, ShellItem kind, const QString& item,
                     const TextLookup& translate);

// Open a web page, or a file or folder (`kind`) by its path; when that fails, they tell the
// user so. They answer whether it opened.
bool openPage(Shell& shell, Dialogs& dialogs, const QString& url, const TextLookup& translate);
bool openItem(Shell& shell, Dialogs& dialogs, ShellItem kind, const QString& path,
              const TextLookup& translate);

}  // namespace pixmorrow
