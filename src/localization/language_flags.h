#pragma once

#include <QString>

namespace pixmorrow {

// The chooser's picture list, by index: 0 is the unknown-language flag, 1..30 the flags of
// the languages in their fixed order, then "us", "tick_button", "copy", "flag", "ab", "no".
inline constexpr int kUnknownLanguageFlag = 0;

// The picture index of a language name (exact, case-sensitive); 0 for any other name.
int languageFlagIndex(const QString& languageName);

// The picture name at an index ("de", "xx", ...); "xx" when out of range.
QString flagPictureName(int index);

// The resource of the flag a language name is drawn with: ":/flags/<name>.svg".
QString languageFlagResource(const QString& languageName);

}  // namespace pixmorrow
