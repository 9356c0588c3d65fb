#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace pixmorrow {

// Writes `bytes` into a new file `path` atomically, never replacing an existing file.
// Failures become pixmorrow::Error with the system's reason.
void writeOutputFile(const QString& path, const std::vector<std::uint8_t>& bytes);

// A whole input file, refusing more than 1 GiB. Throws pixmorrow::Error.
std::vector<std::uint8_t> readInputFile(const QString& path);

}  // namespace pixmorrow
