#include "conversion/formats/animated_png.h"

#include <QFile>

#include <array>
#include <cstdint>
#include <cstring>

namespace pixmorrow {

namespace {

constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 0x50, 0x4E, 0x47,
                                                        0x0D, 0x0A, 0x1A, 0x0A};

bool readExactly(QFile& file, unsigned char* buffer, qint64 size) {
    return file.read(reinterpret_cast<char*>(buffer), size) == size;
}

}  // namespace

bool IsAnimatedPng(const QString& path) {
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        std::array<unsigned char, 8> signature{};
        if (!readExactly(file, signature.data(), 8) || signature != kPngSignature)
            return false;

        const qint64 size = file.size();
        qint64 position = 8;
        while (position < size) {
            std::array<unsigned char, 8> header{};
            if (!readExactly(file, header.data(), 8))
                return false;
            if (std::memcmp(header.data() + 4, "acTL", 4) == 0)
                return true;
            const std::uint64_t length = (std::uint64_t{header[0]} << 24) |
                                         (std::uint64_t{header[1]} << 16) |
                                         (std::uint64_t{header[2]} << 8) | header[3];
            // Data and CRC; 64-bit arithmetic, so a huge length cannot wrap around.
            const std::uint64_t next = static_cast<std::uint64_t>(position) + 8 + length + 4;
            if (next > static_cast<std::uint64_t>(size))
                return false;
            position = static_cast<qint64>(next);
            if (!file.seek(position))
                return false;
        }
        return false;
    } catch (...) {
        return false;
    }
}

}  // namespace pixmorrow
