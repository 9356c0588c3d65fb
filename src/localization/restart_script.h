#pragma once

#include <QByteArray>
#include <QString>

namespace pixmorrow {

// The name of the script that starts the program again after a language change.
inline const QString kRestartScriptName = QStringLiteral("start.sh");

// `text` as one word for /bin/sh: in single quotes, an embedded quote written as '\''.
QString shellQuoted(const QString& text);

// The restart script for an executable: a shell script that waits a second, so this
// process has ended, and then runs the executable. LF line ends.
QByteArray restartScript(const QString& executable);

// Writes the restart script into `folder`, replacing an earlier one, and returns its path.
// Throws Error when it cannot be written.
QString writeRestartScript(const QString& folder, const QString& executable);

}  // namespace pixmorrow
