#pragma once

// The formats the program reads and writes, one row each. Everything that depends on a format
// (the supported-input test, the Add Files filter, the decoding and writing stages, the
// picture loader, the output-type list) reads these rows; adding a format is one row here plus
// its decoder or encoder.

#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <string_view>

namespace pixmorrow {

// How the decoding stage brings a source of an input kind into the work bitmap.
enum class InputRead {
    Bmp,  // the program's own readers, through the picture loader
    Ico,
    Gif,
    Png,
    Jpeg,
    Tiff,                  // the imaging component's TIFF reader
    JpegXr,                // the imaging component's JPEG XR reader
    CodecLibrary,          // the codec library's raster decoder, first frame
    CodecLibrarySvg,       // the codec library's SVG renderer, at the document's size
    ExternalTool,          // the external tool converts it into the intermediate file first
    CopiedToIntermediate,  // copied to the intermediate file, whose extension the loader knows
    Unknown,               // no decoder: the picture loader refuses it
};

// Whether a source goes to the external tool whole when the output type is one the codec
// library route writes, so that the tool keeps what that route would drop (the frames).
enum class WholeToTool {
    Never,
    IntoAnimatedType,  // only when the output type holds an animation
    Always,
};

// One input kind, by its extension.
struct InputKind {
    std::string_view extension;  // lower case, dot included
    bool accepted;               // passes the supported-input test
    bool inAddFilesFilter;       // offered as a pattern of the Add Files dialog's image filter
    InputRead read;
    std::string_view intermediate;  // ExternalTool, CopiedToIntermediate: the settings-folder file
    bool codecLibraryReads;         // the codec library route reads the source, not the work bitmap
    bool externalToolReads;  // the external-tool routes read the source itself, not "temp.bmp"
    WholeToTool wholeToTool;
    // The external tool's decoder for what the extension promises, named to the tool so that
    // it never picks another by the content; empty when the tool never reads the kind.
    std::string_view toolFormat;
};

// Which way a file goes in the writing stage.
enum class WritingRoute {
    Bmp,              // work bitmap as BMP
    Tiff,             // work bitmap through the imaging component
    Wmp,              // work bitmap as JPEG XR
    ExternalWhole,    // source to the external tool, all frames
    ExternalQuality,  // source to the external tool with the quality
    CodecLibrary,     // codec library route
};

// Output formats of the codec library route.
enum class CodecFormat { Jpeg, Png, Webp };

// One output type, by the name the options page lists.
struct OutputType {
    std::string_view name;       // as listed, compared case-sensitively
    std::string_view extension;  // of the output file
    bool usesQuality;            // the quality controls show for it
    WritingRoute route;
    bool holdsAnimation;                     // see WholeToTool
    std::optional<CodecFormat> codecFormat;  // CodecLibrary route: the encoder's format
    std::optional<int> fixedQuality;         // CodecLibrary route: used instead of the field's
    // The extension the route writes under before the output takes its name, when it is not
    // `extension`: the external tool picks the format by it.
    std::string_view toolExtension;
    // ExternalQuality route: the tool also makes the desktop's icon sizes from the picture.
    bool iconSizes;
    // The external tool's encoder for the type; empty when no route has the tool write it.
    std::string_view toolFormat;
};

// A text of the table as a Qt string.
inline QLatin1StringView tableText(std::string_view text) {
    return QLatin1StringView(text.data(), qsizetype(text.size()));
}

// Every input kind, in the order of the Add Files filter.
std::span<const InputKind> inputKinds();

// Every output type, in the order offered; the first is the default.
std::span<const OutputType> outputTypeRows();

// The row of a lower-case extension (dot included); a row reading as Unknown when there is
// none.
const InputKind& inputKind(const QString& extension);

// The row of an output type's name, or null.
const OutputType* findOutputType(const QString& name);

// The extensions the supported-input test accepts, dot included.
QStringList supportedExtensions();

// The pattern list of the Add Files dialog's image filter ("*.png *.webp ...").
QString addFilesPatterns();

// The output type names in the order offered.
QStringList outputTypes();

// A type's output extension (".webp"); "." + its name in lower case for a name outside the
// table, which the writing stage then refuses.
QString outputExtension(const QString& type);

// The extension a route writes a type under before the output takes its name.
QString toolExtension(const QString& type);

// Whether the quality field matters for a type.
bool usesQuality(const QString& type);

}  // namespace pixmorrow
