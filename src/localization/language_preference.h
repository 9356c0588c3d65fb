#pragma once

#include <QString>

namespace pixmorrow {

// The language file the user chose in the language chooser ("German.lang.txt"), kept in the
// per-user store (group "Settings", key "Language") so the restart shows it. Empty when
// the user never chose one, and the interface language then decides.
QString preferredLanguageFile();
void storePreferredLanguageFile(const QString& fileName);

}  // namespace pixmorrow
