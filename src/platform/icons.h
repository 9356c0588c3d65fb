#pragma once

#include <QIcon>
#include <QString>

namespace pixmorrow {

// An icon of the program's collection by its name ("add", "folder_add", "delete", "clear",
// "next", "previous", "tick_button", "folder", "exit", "help", "feedback", "flag", "about",
// "close", "copy"): the desktop theme's freedesktop icon, else our own SVG.
QIcon namedIcon(const QString& name);

// The application icon.
QIcon applicationIcon();

}  // namespace pixmorrow
