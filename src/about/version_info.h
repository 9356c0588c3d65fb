#pragma once

#include <QString>

#include <cstdint>

namespace pixmorrow {

// Name of the ELF section that carries the program's version resource.
inline constexpr char kVersionSectionName[] = ".rsrc_version";

// The string version information of an executable.
struct TEXEVersionData {
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;
};

// Reads the strings of the first translation's string table. Throws Error naming the file
// when it has no readable version resource; a string that is absent leaves its field empty.
TEXEVersionData GetEXEVersionData(const QString& fileName);

// The fixed file version's most significant word: major << 16 | minor. All bits set when the
// file has no readable version resource; never throws.
std::uint32_t GetEXEFixedFileVersion(const QString& fileName);

// "%d.%d" of a fixed file version's two halves.
QString formatFixedVersion(std::uint32_t version);

}  // namespace pixmorrow
