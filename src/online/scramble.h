#pragma once

#include <QString>

namespace pixmorrow {

// Hides the stored download link from casual reading (not encryption): the UTF-8 bytes run
// through a 16-bit rolling key, each result as two upper-case hex digits.
QString ScrambleText(const QString& text);

// The reverse. Case-insensitive; an odd last digit is ignored; a pair that is not hex gives
// an empty result.
QString UnscrambleText(const QString& scrambled);

}  // namespace pixmorrow
