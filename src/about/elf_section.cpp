#include "about/elf_section.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace pixmorrow {

namespace {

class Reader {
public:
    explicit Reader(QFile& file) : file_(file), size_(file.size()) {}

    std::optional<QByteArray> at(std::uint64_t offset, std::uint64_t length) {
        if (offset > static_cast<std::uint64_t>(size_) ||
            length > static_cast<std::uint64_t>(size_) - offset) {
            return std::nullopt;
        }
        if (!file_.seek(static_cast<qint64>(offset)))
            return std::nullopt;
        QByteArray data = file_.read(static_cast<qint64>(length));
        if (data.size() != static_cast<qsizetype>(length))
            return std::nullopt;
        return data;
    }

private:
    QFile& file_;
    qint64 size_;
};

std::uint64_t le(const QByteArray& data, qsizetype at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(data[at + i]);
    }
    return v;
}

constexpr std::uint32_t kNoBits = 8;  // SHT_NOBITS: occupies no room in the file

}  // namespace

std::optional<QByteArray> readElfSection(const QString& path, const QByteArray& sectionName,
                                         qint64 maxSize) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Reader reader(file);

    auto ident = reader.at(0, 64);
    if (!ident)
        ident = reader.at(0, 52);
    if (!ident || std::memcmp(ident->constData(),
                              "\x7f"
                              "ELF",
                              4) != 0)
        return std::nullopt;
    const bool is64 = (*ident)[4] == 2;
    if (!is64 && (*ident)[4] != 1)
        return std::nullopt;
    if ((*ident)[5] != 1)
        return std::nullopt;  // little-endian only
    if (is64 && ident->size() < 64)
        return std::nullopt;

    const std::uint64_t shoff = is64 ? le(*ident, 0x28, 8) : le(*ident, 0x20, 4);
    const std::uint64_t shentsize = le(*ident, is64 ? 0x3A : 0x2E, 2);
    const std::uint64_t shnum = le(*ident, is64 ? 0x3C : 0x30, 2);
    const std::uint64_t shstrndx = le(*ident, is64 ? 0x3E : 0x32, 2);
    const std::uint64_t needed = is64 ? 64 : 40;
    if (shoff == 0 || shnum == 0 || shentsize < needed || shstrndx >= shnum)
        return std::nullopt;

    auto table = reader.at(shoff, shnum * shentsize);
    if (!table)
        return std::nullopt;

    struct Header {
        std::uint32_t name, type;
        std::uint64_t offset, size;
    };
    auto header = [&](std::uint64_t index) {
        qsizetype at = static_cast<qsizetype>(index * shentsize);
        Header h;
        h.name = static_cast<std::uint32_t>(le(*table, at, 4));
        h.type = static_cast<std::uint32_t>(le(*table, at + 4, 4));
        h.offset = is64 ? le(*table, at + 0x18, 8) : le(*table, at + 0x10, 4);
        h.size = is64 ? le(*table, at + 0x20, 8) : le(*table, at + 0x14, 4);
        return h;
    };

    const Header strings = header(shstrndx);
    if (strings.type == kNoBits || strings.size > (16u << 20))
        return std::nullopt;
    auto names = reader.at(strings.offset, strings.size);
    if (!names)
        return std::nullopt;

    for (std::uint64_t i = 0; i < shnum; ++i) {
        const Header h = header(i);
        if (h.name >= static_cast<std::uint64_t>(names->size()))
            continue;
        const char* name = names->constData() + h.name;
        const std::size_t room = static_cast<std::size_t>(names->size()) - h.name;
        const std::size_t length = strnlen(name, room);
        if (length == room)
            continue;  // not terminated inside the table
        if (QByteArray(name, static_cast<qsizetype>(length)) != sectionName)
            continue;
        if (h.type == kNoBits || h.size > static_cast<std::uint64_t>(maxSize))
            return std::nullopt;
        return reader.at(h.offset, h.size);
    }
    return std::nullopt;
}

}  // namespace pixmorrow
