#include "about/version_info.h"

#include "about/elf_section.h"
#include "about/version_block.h"
#include "platform/error.h"

#include <QtEndian>

#include <array>
#include <utility>

namespace pixmorrow {

namespace {

VersionBlock readBlock(const QString& fileName) {
    auto bytes = readElfSection(fileName, kVersionSectionName);
    if (!bytes || bytes->isEmpty()) {
        throw Error(QStringLiteral("The file \"%1\" has no version resource").arg(fileName));
    }
    auto block = VersionBlock::parse(*bytes);
    if (!block) {
        throw Error(QStringLiteral("The version resource of \"%1\" is damaged").arg(fileName));
    }
    return *block;
}

}  // namespace

TEXEVersionData GetEXEVersionData(const QString& fileName) {
    const VersionBlock block = readBlock(fileName);
    auto translation = block.value(QStringLiteral("\\VarFileInfo\\Translation\\"));
    if (!translation || translation->size() < 4) {
        throw Error(
            QStringLiteral("The version resource of \"%1\" has no translation").arg(fileName));
    }
    const auto* raw = reinterpret_cast<const uchar*>(translation->constData());
    const QString table = QStringLiteral("%1%2")
                              .arg(qFromLittleEndian<quint16>(raw), 4, 16, QChar(u'0'))
                              .arg(qFromLittleEndian<quint16>(raw + 2), 4, 16, QChar(u'0'))
                              .toUpper();

    TEXEVersionData data;
    const std::array<std::pair<const char16_t*, QString*>, 12> fields = {{
        {u"CompanyName", &data.CompanyName},
        {u"FileDescription", &data.FileDescription},
        {u"FileVersion", &data.FileVersion},
        {u"InternalName", &data.InternalName},
        {u"LegalCopyright", &data.LegalCopyright},
        {u"LegalTrademarks", &data.LegalTrademarks},
        {u"OriginalFileName", &data.OriginalFileName},
        {u"ProductName", &data.ProductName},
        {u"ProductVersion", &data.ProductVersion},
        {u"Comments", &data.Comments},
        {u"PrivateBuild", &data.PrivateBuild},
        {u"SpecialBuild", &data.SpecialBuild},
    }};
    for (const auto& [name, field] : fields) {
        auto text = block.text(QStringLiteral("\\StringFileInfo\\") + table + u'\\' +
                               QString::fromUtf16(name));
        if (text)
            *field = *text;
    }
    return data;
}

std::uint32_t GetEXEFixedFileVersion(const QString& fileName) {
    constexpr std::uint32_t kUnreadable = 0xFFFFFFFFu;
    try {
        const VersionBlock block = readBlock(fileName);
        auto fixed = block.value(QStringLiteral("\\"));
        if (!fixed || fixed->size() < 52)
            return kUnreadable;
        const auto* raw = reinterpret_cast<const uchar*>(fixed->constData());
        if (qFromLittleEndian<quint32>(raw) != 0xFEEF04BDu)
            return kUnreadable;
        return qFromLittleEndian<quint32>(raw + 8);
    } catch (const Error&) {
        return kUnreadable;
    }
}

QString formatFixedVersion(std::uint32_t version) {
    return QStringLiteral("%1.%2").arg(version >> 16).arg(version & 0xFFFF);
}

}  // namespace pixmorrow
