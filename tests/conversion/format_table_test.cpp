#include "conversion/format_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace pixmorrow {
namespace {

TEST(FormatTable, OutputTypesAreOfferedInTheirOrderWithTheirExtensionsAndQuality) {
    const struct {
        const char* name;
        const char* extension;
        bool usesQuality;
        const char* toolExtension;
    } expected[] = {
        {"WEBP", ".webp", true, ".webp"},  {"PNG", ".png", false, ".png"},
        {"APNG", ".apng", false, ".apng"}, {"JPG", ".jpg", true, ".jpg"},
        {"JPEG", ".jpeg", true, ".jpeg"},  {"JFIF", ".jfif", true, ".jpg"},
        {"TIF", ".tif", false, ".tif"},    {"TIFF", ".tiff", false, ".tiff"},
        {"GIF", ".gif", false, ".gif"},    {"BMP", ".bmp", false, ".bmp"},
        {"ICO", ".ico", false, ".ico"},    {"WMP", ".wmp", false, ".wmp"},
    };
    QStringList names;
    for (const auto& type : expected) {
        const QString name = QString::fromLatin1(type.name);
        names << name;
        EXPECT_EQ(outputExtension(name), QLatin1String(type.extension)) << type.name;
        EXPECT_EQ(usesQuality(name), type.usesQuality) << type.name;
        EXPECT_EQ(toolExtension(name), QLatin1String(type.toolExtension)) << type.name;
    }
    EXPECT_EQ(outputTypes(), names);

    // Names are compared exactly; a name outside the list keeps the plain rule.
    EXPECT_FALSE(usesQuality(QStringLiteral("webp")));
    EXPECT_EQ(findOutputType(QStringLiteral("Jpeg")), nullptr);
    EXPECT_EQ(outputExtension(QStringLiteral("XYZ")), QStringLiteral(".xyz"));
    EXPECT_EQ(toolExtension(QStringLiteral("XYZ")), QStringLiteral(".xyz"));
}

TEST(FormatTable, TheAddFilesPatternsAndTheAcceptedExtensionsAreTodays) {
    EXPECT_EQ(addFilesPatterns(),
              QStringLiteral("*.png *.webp *.jpg *.jpeg *.jfif *.tif *.tiff *.gif *.ico *.bmp "
                             "*.wmp *.avif *.psd *.heic *.heif *.svg *.tga *.jxl *.jp2"));

    QStringList accepted = supportedExtensions();
    accepted.sort();
    EXPECT_EQ(accepted, (QStringList{".apng", ".avif", ".bmp",  ".gif",  ".heic", ".heif", ".ico",
                                     ".jfif", ".jp2",  ".jpeg", ".jpg",  ".jxl",  ".png",  ".psd",
                                     ".svg",  ".tga",  ".tif",  ".tiff", ".webp", ".wmp"}));
    // The picture loader reads ".wbmp", the queue does not take it.
    EXPECT_EQ(inputKind(QStringLiteral(".wbmp")).read, InputRead::CodecLibrary);
    EXPECT_FALSE(inputKind(QStringLiteral(".wbmp")).accepted);
    for (const char* unknown : {"", ".", ".txt", ".PNG", "png", ".jpe"}) {
        EXPECT_EQ(inputKind(QString::fromLatin1(unknown)).read, InputRead::Unknown) << unknown;
        EXPECT_FALSE(inputKind(QString::fromLatin1(unknown)).accepted) << unknown;
    }
}

// What a new row must hold together, so that a format added later cannot be half wired.
TEST(FormatTable, EveryRowIsCompleteAndUnique) {
    std::set<std::string_view> names, extensions;
    for (const OutputType& type : outputTypeRows()) {
        SCOPED_TRACE(std::string(type.name));
        EXPECT_TRUE(names.insert(type.name).second) << "listed twice";
        EXPECT_TRUE(type.extension.starts_with('.'));
        // Only the codec library route has an encoder format, and it always has one.
        const bool codec = type.route == WritingRoute::CodecLibrary;
        EXPECT_EQ(type.codecFormat.has_value(), codec);
        if (type.fixedQuality) {
            EXPECT_TRUE(codec);
        }
        EXPECT_TRUE(type.toolExtension.empty() || type.toolExtension.starts_with('.'));
    }
    for (const InputKind& kind : inputKinds()) {
        SCOPED_TRACE(std::string(kind.extension));
        EXPECT_TRUE(extensions.insert(kind.extension).second) << "listed twice";
        EXPECT_TRUE(kind.extension.starts_with('.'));
        EXPECT_TRUE(std::none_of(kind.extension.begin(), kind.extension.end(),
                                 [](char c) { return c >= 'A' && c <= 'Z'; }));
        EXPECT_NE(kind.read, InputRead::Unknown);
        if (kind.inAddFilesFilter) {
            EXPECT_TRUE(kind.accepted);
        }
        // A kind that reaches the loader through an intermediate file names one whose
        // extension the loader reads itself.
        const bool throughIntermediate =
            kind.read == InputRead::ExternalTool || kind.read == InputRead::CopiedToIntermediate;
        EXPECT_EQ(!kind.intermediate.empty(), throughIntermediate);
        if (throughIntermediate) {
            const std::string_view name = kind.intermediate;
            const QString extension = tableText(name.substr(name.rfind('.')));
            const InputRead read = inputKind(extension).read;
            EXPECT_NE(read, InputRead::Unknown);
            EXPECT_NE(read, InputRead::ExternalTool);
            EXPECT_NE(read, InputRead::CopiedToIntermediate);
        }
    }
}

}  // namespace
}  // namespace pixmorrow
