#pragma once

#include <QString>

namespace pixmorrow {

// True when a new file can be created in `folder` (with or without a trailing "/"): creates
// "chk.tmp" exclusively and removes it at once. An existing "chk.tmp" makes it answer false.
bool isFolderWritable(const QString& folder);

}  // namespace pixmorrow
