#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace pixmorrow::testing {

// PNG bytes made of the given chunks (type, data); CRCs are left zero, as only the chunk
// walk matters here.
inline QByteArray pngChunks(std::initializer_list<std::pair<const char*, QByteArray>> chunks,
                            bool signature = true) {
    QByteArray bytes;
    if (signature)
        bytes = QByteArray::fromHex("89504E470D0A1A0A");
    for (const auto& [type, data] : chunks) {
        const auto length = static_cast<std::uint32_t>(data.size());
        bytes.append(static_cast<char>(length >> 24));
        bytes.append(static_cast<char>(length >> 16));
        bytes.append(static_cast<char>(length >> 8));
        bytes.append(static_cast<char>(length));
        bytes.append(type, 4);
        bytes.append(data);
        bytes.append(QByteArray(4, '\0'));
    }
    return bytes;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

}  // namespace pixmorrow::testing
