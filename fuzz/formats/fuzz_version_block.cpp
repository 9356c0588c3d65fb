// The version-resource parser and its queries on arbitrary bytes.
#include "about/version_block.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto block = pixmorrow::VersionBlock::parse(bytes);
    if (block) {
        block->value(QStringLiteral("\\"));
        block->value(QStringLiteral("\\VarFileInfo\\Translation"));
        block->text(QStringLiteral("\\StringFileInfo\\040904E4\\CompanyName"));
        block->text(QStringLiteral("\\StringFileInfo\\040904E4\\ProductName"));
    }
    return 0;
}
