#pragma once

#include <QString>

namespace pixmorrow {

// The folder that holds settings.ini (and the conversion's temporary files): the program
// folder when the user owns it, nobody else may write to it and a file can be created in it,
// otherwise <roaming app data>/<company>/<product>/,
// created one level at a time with failures ignored (a later save reports them). Always ends
// in "/".
QString chooseSettingsFolder(const QString& programFolder, const QString& company,
                             const QString& product);

// True for a folder (links followed) this process's user owns and neither its group nor
// others may write to.
bool isPrivatelyOwnedFolder(const QString& folder);

}  // namespace pixmorrow
