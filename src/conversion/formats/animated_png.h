#pragma once

#include <QString>

namespace pixmorrow {

// True when the file is a PNG with an "acTL" chunk anywhere in its chunk walk. Short,
// unreadable or malformed files give false; never throws.
bool IsAnimatedPng(const QString& path);

}  // namespace pixmorrow
