#pragma once

#include "queue/file_size.h"

#include <QString>

#include <cstdint>

namespace pixmorrow {

// Whether anything (a file, a folder, a dangling link) has this name.
bool entryExists(const QString& path);

// The first name of the series "a.webp", "a (2).webp", "a (3).webp" ... at which nothing
// exists; the number goes before the last extension.
QString MakeUniqueFileName(const QString& name);

// "1.43 MB", "1.5 KB", "1024 bytes", " bytes" (for 0): at most two decimals, trailing zeros
// and a zero integer part left out, the user's decimal separator.
QString FormatByteSize(std::int64_t bytes);

// The saved share of the input in whole percent, ties to the even neighbour; 0 for no input.
std::int64_t savedPercentage(std::int64_t difference, std::int64_t inputTotal);

// Milliseconds as seconds with three decimals in the user's separator: "2.406 seconds".
QString elapsedText(std::uint32_t milliseconds);

// A path's extension from the last full stop of its file name, full stop included, ASCII
// letters lowered; empty when the name has none.
QString extensionOfPath(const QString& path);

// The file name of `path` without its last extension ("x.tar" for "/d/x.tar.jpg").
QString baseNameWithoutLastExtension(const QString& path);

// The folder part of `path` with its trailing separator; empty for a bare name.
QString folderWithSeparator(const QString& path);

}  // namespace pixmorrow
