#pragma once

#include <QString>

namespace pixmorrow {

class Dialogs;
class Shell;

// Reset to Defaults: asks "Restart Application?"; on Yes removes the settings file, lets the
// waiting events run and starts the executable again without this run's arguments. Returns
// true when the caller should end the program. Throws Error (and keeps running) when the new
// copy could not be started, so the user is not left without a program.
bool ResetToDefaults(Dialogs& dialogs, Shell& shell, const QString& settingsFile,
                     const QString& executable);

}  // namespace pixmorrow
