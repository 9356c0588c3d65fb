#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace pixmorrow {

// The Windows language identifier (LCID, 1031 for de-DE) of a language tag such as "de-DE",
// "de_AT", "zh-Hant-TW" or "fr". A tag without a territory gives the language's primary
// locale ("de" is 1031); "C" and "POSIX" count as 1033. 0 when the language is unknown.
std::uint16_t windowsLanguageId(const QString& tag);

// The first of the given interface languages (most preferred first) that has an identifier;
// 1033 when the list is empty, 0 when none is known.
std::uint16_t windowsLanguageId(const QStringList& uiLanguages);

// The user's interface language (QLocale::system().uiLanguages(), which follows LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG) as a Windows language identifier.
std::uint16_t userInterfaceLanguageId();

}  // namespace pixmorrow
