#pragma once

#include <QString>

namespace pixmorrow {

// The folder that holds settings.ini (and the conversion's temporary files): the program
// folder when a file can be created in it, otherwise <roaming app data>/<company>/<product>/,
// created one level at a time with failures ignored (a later save reports them). Always ends
// in "/".
QString chooseSettingsFolder(const QString& programFolder, const QString& company,
                             const QString& product);

}  // namespace pixmorrow
