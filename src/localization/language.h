#pragma once

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
// language through LanguageCodes.csv.
void LoadLanguage(const QString& preferred);

// The translation of an English text, or the text itself.
QString TranslateText(const QString& key);

// The translation of `key` in the given lines (an empty translation included), or `key`.
QString FindTranslation(const QString& key, const QStringList& lines);

// The user's locale as language-country code ("en-US"), or "xx".
QString GetLocaleCode();

}  // namespace pixmorrow
