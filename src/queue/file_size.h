#pragma once

#include <QString>

#include <cstdint>

namespace pixmorrow {

// A file's size in bytes, -1 when no such file exists.
std::int64_t GetFileSizeBytes(const QString& path);

}  // namespace pixmorrow
