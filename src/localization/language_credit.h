#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// The key of a language file's entry that names its translators, separated by commas.
inline const QString kTranslatedByKey = QStringLiteral("INFO:Translated By");

// The credit of the built-in English texts.
inline const QString kEnglishCredit = QStringLiteral("Tarnwick");

// One line per translator: the credit split at every ",", each piece without leading and
// trailing blanks and control characters.
QStringList creditLines(const QString& credit);

// Reads a language file as UTF-8 (a byte-order mark skipped; CR LF, LF or CR line ends).
// False when it is missing, unreadable or not valid UTF-8.
bool readLanguageFileLines(const QString& path, QStringList& lines);

// The credit shown for a language of the chooser: "Tarnwick" for English, otherwise the
// credit entry of <languageFolder>/<name>.lang.txt, read afresh; empty when the file cannot
// be read. A file without the entry yields the key itself.
QString languageCredit(const QString& languageFolder, const QString& languageName);

// The chooser's languages: "English" and the name before ".lang.txt" of each file, sorted
// without regard to case. A name appears once.
QStringList chooserLanguages(const QStringList& languageFiles);

}  // namespace pixmorrow
