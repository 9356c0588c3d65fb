#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace pixmorrow {

// The loaded language, set once by LoadLanguage while the main window is created.
struct LanguageState {
    QString LanguageFolder;     // program folder + "/Languages"
    QStringList LanguageFiles;  // names of the language files found, in listing order
    QString LanguageName;       // loaded file's name up to ".lang.txt"; empty: English
    QString LanguageFilePath;   // full path of the loaded file; empty: English
    QStringList LanguageLines;  // the loaded file's lines
};

const LanguageState& languageState();

// Picks and loads one language file; an empty `preferred` follows the user's interface
// language through LanguageCodes.csv. Throws Error when the chosen file cannot be read or
// is not valid UTF-8; the name and path are set already and every text stays English.
void LoadLanguage(const QString& preferred);

// Appends the names of the files in `folder` matching "*lang.txt" (any letter case, hidden
// ones too, directories not) to LanguageFiles, in listing order.
void ListLanguageFiles(const QString& folder);

// The translation of an English text, or the text itself.
QString TranslateText(const QString& key);

// The translation of `key` in the given lines (an empty translation included), or `key`.
QString FindTranslation(const QString& key, const QStringList& lines);

// The translation of a text with one "%s" (such as "About %s") with `argument` put in its
// place. The text is never used as a format string: a translation that does not hold
// exactly one "%s" is not trusted and the English text is used instead.
QString translateFormat(const QString& key, const QString& argument);

// The user's locale as language-country code ("en-US"), or "xx".
QString GetLocaleCode();

// GetLocaleCode's rule for a given locale: the C locale is "en-US"; `requestedName` is the
// POSIX locale name the user asked for, which tells the C locale from a name Qt did not
// know ("xx"); a locale without a territory is "xx" too.
QString localeCodeOf(const QLocale& locale, const QString& requestedName);

// The file formats, for tests and the fuzzer. A language file's lines: UTF-8, a leading
// byte-order mark skipped, CR LF, LF or CR line ends. Throws Error when it is not UTF-8.
QStringList decodeLanguageLines(const QByteArray& bytes, const QString& fileName);
// The file name LanguageCodes.csv gives for a decimal language identifier, or empty.
QString languageFileForIdentifier(const QByteArray& csv, const QString& identifier);

}  // namespace pixmorrow
