#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace pixmorrow {

// The contents of the named section of an ELF file (32 or 64 bit, little-endian), or nothing
// when the file is not such an ELF file, has no such section, or the section is larger than
// `maxSize`. The file is untrusted: every offset and size is checked against the file.
std::optional<QByteArray> readElfSection(const QString& path, const QByteArray& sectionName,
                                         qint64 maxSize = 1 << 20);

}  // namespace pixmorrow
