#pragma once

#include <QString>

namespace pixmorrow {

// Full path of the running executable, symlinks resolved (/proc/self/exe).
QString executablePath();

// The program folder: the executable's folder, without a trailing separator. It holds the
// data the program reads (Languages/, imagemagick/, license.txt, the codec library).
// PIXMORROW_PROGRAM_DIR overrides it, for tests that lay out a folder of their own.
QString programFolder();

// The roaming application-data folder: $XDG_CONFIG_HOME, else ~/.config. Empty when unknown.
QString roamingAppDataFolder();

// Folder for per-user runtime files: $XDG_RUNTIME_DIR, else the temp folder.
QString runtimeFolder();

// `folder` with exactly one trailing "/".
QString withTrailingSeparator(const QString& folder);

}  // namespace pixmorrow
