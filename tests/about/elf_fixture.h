#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <utility>
#include <vector>

namespace pixmorrow::testing {

// A minimal 64-bit little-endian ELF file holding the given sections, for version-reader tests.
inline QByteArray makeElf(const std::vector<std::pair<QByteArray, QByteArray>>& sections) {
    auto put = [](QByteArray& b, quint64 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    QByteArray body;
    std::vector<std::pair<quint64, quint64>> places;  // offset, size
    for (const auto& s : sections) {
        places.emplace_back(64 + body.size(), s.second.size());
        body.append(s.second);
        while (body.size() % 8)
            body.append('\0');
    }
    QByteArray names("\0", 1);
    std::vector<quint32> nameAt;
    for (const auto& s : sections) {
        nameAt.push_back(static_cast<quint32>(names.size()));
        names.append(s.first).append('\0');
    }
    const quint32 shstrName = static_cast<quint32>(names.size());
    names.append(".shstrtab").append('\0');
    const quint64 namesOffset = 64 + body.size();
    body.append(names);
    while (body.size() % 8)
        body.append('\0');
    const quint64 shoff = 64 + body.size();
    const quint16 shnum = static_cast<quint16>(sections.size() + 2);

    QByteArray elf;
    elf.append(
        "\x7f"
        "ELF",
        4);
    elf.append('\x02').append('\x01').append('\x01');
    elf.append(QByteArray(9, '\0'));
    put(elf, 2, 2);          // e_type
    put(elf, 62, 2);         // e_machine x86-64
    put(elf, 1, 4);          // e_version
    put(elf, 0, 8);          // e_entry
    put(elf, 0, 8);          // e_phoff
    put(elf, shoff, 8);      // e_shoff
    put(elf, 0, 4);          // e_flags
    put(elf, 64, 2);         // e_ehsize
    put(elf, 0, 2);          // e_phentsize
    put(elf, 0, 2);          // e_phnum
    put(elf, 64, 2);         // e_shentsize
    put(elf, shnum, 2);      // e_shnum
    put(elf, shnum - 1, 2);  // e_shstrndx
    elf.append(body);

    auto header = [&](quint32 name, quint32 type, quint64 offset, quint64 size) {
        put(elf, name, 4);
        put(elf, type, 4);
        put(elf, 2, 8);  // flags: alloc
        put(elf, 0, 8);
        put(elf, offset, 8);
        put(elf, size, 8);
        put(elf, 0, 4);
        put(elf, 0, 4);
        put(elf, 4, 8);
        put(elf, 0, 8);
    };
    elf.append(QByteArray(64, '\0'));
    for (std::size_t i = 0; i < sections.size(); ++i)
        header(nameAt[i], 1, places[i].first, places[i].second);
    header(shstrName, 3, namesOffset, static_cast<quint64>(names.size()));
    return elf;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

}  // namespace pixmorrow::testing
