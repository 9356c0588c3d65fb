#include "platform/icons.h"

#include <QHash>

namespace pixmorrow {

namespace {

const QHash<QString, QString>& themeNames() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("add"), QStringLiteral("list-add")},
        {QStringLiteral("folder_add"), QStringLiteral("folder-new")},
        {QStringLiteral("delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("clear"), QStringLiteral("edit-clear")},
        {QStringLiteral("next"), QStringLiteral("go-next")},
        {QStringLiteral("previous"), QStringLiteral("go-previous")},
        {QStringLiteral("tick_button"), QStringLiteral("dialog-ok")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("exit"), QStringLiteral("application-exit")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
        {QStringLiteral("feedback"), QStringLiteral("mail-send")},
        {QStringLiteral("flag"), QStringLiteral("preferences-desktop-locale")},
        {QStringLiteral("about"), QStringLiteral("help-about")},
        {QStringLiteral("close"), QStringLiteral("window-close")},
        {QStringLiteral("copy"), QStringLiteral("edit-copy")},
    };
    return names;
}

}  // namespace

QIcon namedIcon(const QString& name) {
    QIcon fallback(QStringLiteral(":/icons/%1.svg").arg(name));
    auto it = themeNames().constFind(name);
    if (it == themeNames().constEnd()) {
        return fallback;
    }
    return QIcon::fromTheme(*it, fallback);
}

QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/icons/pixmorrow.svg"));
}

}  // namespace pixmorrow
