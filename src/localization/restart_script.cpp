#include "localization/restart_script.h"

#include "platform/error.h"
#include "platform/program_paths.h"

#include <QFile>
#include <QSaveFile>

namespace pixmorrow {

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QByteArray restartScript(const QString& executable) {
    QByteArray script;
    script += "#!/bin/sh\n";
    script += "echo This file was created automatically to restart the program.\n";
    script += "echo It is safe to delete this file.\n";
    script += "sleep 1\n";
    // The path in the file system's own encoding, so a non-ASCII folder is found again.
    script += "exec " + QFile::encodeName(shellQuoted(executable)) + "\n";
    return script;
}

QString writeRestartScript(const QString& folder, const QString& executable) {
    const QString path = withTrailingSeparator(folder) + kRestartScriptName;
    QSaveFile file(path);
    // Writing in place leaves a script that works even where a rename is not allowed.
    file.setDirectWriteFallback(true);
    const QByteArray script = restartScript(executable);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size() || !file.commit()) {
        throw Error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
    return path;
}

}  // namespace pixmorrow
