#include "platform/shell.h"

#include "platform/dialogs.h"
#include "platform/error_report.h"

namespace pixmorrow {

void reportNotOpened(Dialogs& dialogs, ShellItem kind, const QString& item,
                     const TextLookup& translate) {
    QString text;
    switch (kind) {
        case ShellItem::WebPage:
            text = QStringLiteral("This web page could not be opened:");
            break;
        case ShellItem::File:
            text = QStringLiteral("This file could not be opened:");
            break;
        case ShellItem::Folder:
            text = QStringLiteral("This folder could not be opened:");
            break;
    }
    dialogs.showMessage(translate(text) + u'\r' + item, kApplicationTitle, MessageIcon::Warning);
}

bool openPage(Shell& shell, Dialogs& dialogs, const QString& url, const TextLookup& translate) {
    if (shell.openUrl(url))
        return true;
    reportNotOpened(dialogs, ShellItem::WebPage, url, translate);
    return false;
}

bool openItem(Shell& shell, Dialogs& dialogs, ShellItem kind, const QString& path,
              const TextLookup& translate) {
    if (shell.openPath(path))
        return true;
    reportNotOpened(dialogs, kind, path, translate);
    return false;
}

}  // namespace pixmorrow
