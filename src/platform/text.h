#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace pixmorrow {

// The text without leading and trailing blanks and control characters (codes up to U+0020),
// the trimming that hand-edited files and typed fields get everywhere in the program.
QString trimBlanksAndControls(QStringView text);

// The lines of a text, ended by CR LF, LF or CR, as settings, language files and service
// replies have them. A final line end does not start another, empty line.
QStringList splitLines(QStringView text);

// Lowers the ASCII letters A to Z only; every other character stays as it is.
QString asciiLower(const QString& text);

}  // namespace pixmorrow
