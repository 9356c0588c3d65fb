#pragma once

#include <QString>

namespace pixmorrow {

// True when a new file can be created in `folder` (with or without a trailing "/"): creates a
// probe file of a fresh random name exclusively and removes it at once. Any number of
// processes may probe one folder at the same moment, and whatever lies in it already, a
// leftover probe included, changes nothing.
bool isFolderWritable(const QString& folder);

}  // namespace pixmorrow
