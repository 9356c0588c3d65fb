#include "conversion/format_table.h"

namespace pixmorrow {

namespace {

using R = InputRead;
using W = WholeToTool;

// ".jfif" and ".apng" reach the picture loader under an extension it reads; the external
// tool's kinds come back as PNG. Neither the codec library nor the external tool reads JPEG XR,
// and the tool's security policy keeps it from SVG: those routes take the work bitmap (the
// tool through "temp.bmp"). ".wbmp" is read by the loader but not accepted by the queue.
// Columns as in InputKind: extension, accepted, in the Add Files filter, read by, intermediate
// file, read by the codec library route, read by the external tool, whole to the tool, the
// tool's decoder.
// clang-format off
constexpr InputKind kInputKinds[] = {
    {".png",  true,  true,  R::Png,                  "",         false, true,  W::Always,           "PNG"},
    {".apng", true,  false, R::CopiedToIntermediate, "temp.png", false, true,  W::Always,           "APNG"},
    {".webp", true,  true,  R::CodecLibrary,         "",         true,  true,  W::Never,            "WEBP"},
    {".jpg",  true,  true,  R::Jpeg,                 "",         true,  true,  W::Never,            "JPEG"},
    {".jpeg", true,  true,  R::Jpeg,                 "",         true,  true,  W::Never,            "JPEG"},
    {".jfif", true,  true,  R::CopiedToIntermediate, "temp.jpg", true,  true,  W::Never,            "JPEG"},
    {".tif",  true,  true,  R::Tiff,                 "",         false, true,  W::Never,            "TIFF"},
    {".tiff", true,  true,  R::Tiff,                 "",         false, true,  W::Never,            "TIFF"},
    {".gif",  true,  true,  R::Gif,                  "",         true,  true,  W::IntoAnimatedType, "GIF"},
    {".ico",  true,  true,  R::Ico,                  "",         true,  true,  W::Never,            "ICO"},
    {".bmp",  true,  true,  R::Bmp,                  "",         true,  true,  W::Never,            "BMP"},
    {".wmp",  true,  true,  R::JpegXr,               "",         false, false, W::Never,            ""},
    {".avif", true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "AVIF"},
    {".psd",  true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "PSD"},
    {".heic", true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "HEIC"},
    {".heif", true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "HEIC"},
    {".svg",  true,  true,  R::CodecLibrarySvg,      "",         false, false, W::Never,            ""},
    {".tga",  true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "TGA"},
    {".jxl",  true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "JXL"},
    {".jp2",  true,  true,  R::ExternalTool,         "temp.png", false, true,  W::Never,            "JP2"},
    {".wbmp", false, false, R::CodecLibrary,         "",         false, true,  W::Never,            "WBMP"},
};
// clang-format on

constexpr InputKind kUnknownInput = {"", false, false, R::Unknown, "", false, true, W::Never, ""};

using Route = WritingRoute;
using F = CodecFormat;

// Columns as in OutputType: name, extension, uses the quality, writing route, holds an
// animation, codec library format, fixed quality, tool extension, icon sizes, the tool's
// encoder (for the types a source may take whole to the tool). The external
// tool knows a JPEG file by ".jpg", not by ".jfif".
// clang-format off
constexpr OutputType kOutputTypes[] = {
    {"WEBP", ".webp", true,  Route::CodecLibrary,    true,  F::Webp, {}, {},     false, "WEBP"},
    {"PNG",  ".png",  false, Route::CodecLibrary,    false, F::Png,  80, {},     false, "PNG"},
    {"APNG", ".apng", false, Route::ExternalWhole,   true,  {},      {}, {},     false, "APNG"},
    {"JPG",  ".jpg",  true,  Route::CodecLibrary,    false, F::Jpeg, {}, {},     false, "JPEG"},
    {"JPEG", ".jpeg", true,  Route::CodecLibrary,    false, F::Jpeg, {}, {},     false, "JPEG"},
    {"JFIF", ".jfif", true,  Route::CodecLibrary,    false, F::Jpeg, {}, ".jpg", false, "JPEG"},
    {"TIF",  ".tif",  false, Route::Tiff,            false, {},      {}, {},     false, ""},
    {"TIFF", ".tiff", false, Route::Tiff,            false, {},      {}, {},     false, ""},
    {"GIF",  ".gif",  false, Route::ExternalQuality, true,  {},      {}, {},     false, "GIF"},
    {"BMP",  ".bmp",  false, Route::Bmp,             false, {},      {}, {},     false, ""},
    {"ICO",  ".ico",  false, Route::ExternalQuality, false, {},      {}, {},     true,  "ICO"},
    {"WMP",  ".wmp",  false, Route::Wmp,             false, {},      {}, {},     false, ""},
};
// clang-format on

}  // namespace

std::span<const InputKind> inputKinds() {
    return kInputKinds;
}

std::span<const OutputType> outputTypeRows() {
    return kOutputTypes;
}

const InputKind& inputKind(const QString& extension) {
    for (const InputKind& kind : kInputKinds) {
        if (extension == tableText(kind.extension))
            return kind;
    }
    return kUnknownInput;
}

const OutputType* findOutputType(const QString& name) {
    for (const OutputType& type : kOutputTypes) {
        if (name == tableText(type.name))
            return &type;
    }
    return nullptr;
}

QStringList supportedExtensions() {
    QStringList extensions;
    for (const InputKind& kind : kInputKinds) {
        if (kind.accepted)
            extensions << tableText(kind.extension);
    }
    return extensions;
}

QString addFilesPatterns() {
    QStringList patterns;
    for (const InputKind& kind : kInputKinds) {
        if (kind.inAddFilesFilter)
            patterns << u'*' + tableText(kind.extension);
    }
    return patterns.join(u' ');
}

QStringList outputTypes() {
    QStringList names;
    for (const OutputType& type : kOutputTypes)
        names << tableText(type.name);
    return names;
}

QString outputExtension(const QString& type) {
    const OutputType* row = findOutputType(type);
    return row ? QString(tableText(row->extension)) : u'.' + type.toLower();
}

QString toolExtension(const QString& type) {
    const OutputType* row = findOutputType(type);
    return row && !row->toolExtension.empty() ? QString(tableText(row->toolExtension))
                                              : outputExtension(type);
}

bool usesQuality(const QString& type) {
    const OutputType* row = findOutputType(type);
    return row && row->usesQuality;
}

}  // namespace pixmorrow
