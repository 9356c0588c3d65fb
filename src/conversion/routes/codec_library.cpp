#include "conversion/routes/codec_library.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/error_report.h"

#include <QDir>
#include <QLibrary>

#include <cstring>

namespace pixmorrow {
namespace {

std::unique_ptr<CodecLibrary>& processLibrary() {
    static std::unique_ptr<CodecLibrary> library;
    return library;
}

QString withReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

// The library gave no image for `path`: its text after ours, its kind and code as they are.
Error cannotDecode(const CodecLibrary& codec, const QString& path) {
    return Error(withReason(QStringLiteral("Cannot decode %1").arg(QDir::toNativeSeparators(path)),
                            codec.lastError()),
                 codec.lastErrorCause());
}

}  // namespace

CodecLibrary::CodecLibrary(const QString& libraryPath)
    : library_(std::make_unique<QLibrary>(libraryPath)), path_(libraryPath) {
    // Bind every function now, so a damaged library fails at start and not in the middle of a run.
    library_->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library_->load())
        throw Error(QStringLiteral("The codec library cannot be loaded (%1): %2")
                        .arg(QDir::toNativeSeparators(libraryPath), library_->errorString()));
    auto resolve = [this](auto& slot, const char* name) {
        QFunctionPointer f = library_->resolve(name);
        if (!f)
            throw Error(QStringLiteral("The codec library %1 has no function %2")
                            .arg(QDir::toNativeSeparators(path_), QString::fromLatin1(name)));
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(f);
    };
#define PMC_RESOLVE(name) resolve(api_.name, "pmc_" #name)
    PMC_RESOLVE(last_error);
    PMC_RESOLVE(last_error_info);
    PMC_RESOLVE(image_make_from_encoded_file);
    PMC_RESOLVE(image_make_from_encoded_data);
    PMC_RESOLVE(image_make_raster_copy);
    PMC_RESOLVE(image_make_raster_data);
    PMC_RESOLVE(image_get_width);
    PMC_RESOLVE(image_get_height);
    PMC_RESOLVE(image_read_pixels);
    PMC_RESOLVE(image_peek_pixels);
    PMC_RESOLVE(image_encode_to_file);
    PMC_RESOLVE(image_get_metadata);
    PMC_RESOLVE(image_set_metadata);
    PMC_RESOLVE(image_ref);
    PMC_RESOLVE(image_unref);
    PMC_RESOLVE(surface_make_raster);
    PMC_RESOLVE(surface_get_canvas);
    PMC_RESOLVE(surface_make_image_snapshot);
    PMC_RESOLVE(surface_peek_pixels);
    PMC_RESOLVE(surface_ref);
    PMC_RESOLVE(surface_unref);
    PMC_RESOLVE(canvas_clear);
    PMC_RESOLVE(canvas_draw_image);
    PMC_RESOLVE(paint_create);
    PMC_RESOLVE(paint_destroy);
    PMC_RESOLVE(paint_set_color_filter);
    PMC_RESOLVE(colorfilter_make_high_contrast);
    PMC_RESOLVE(colorfilter_ref);
    PMC_RESOLVE(colorfilter_unref);
    PMC_RESOLVE(svgdom_make_from_file);
    PMC_RESOLVE(svgdom_get_size);
    PMC_RESOLVE(svgdom_render);
    PMC_RESOLVE(svgdom_unref);
#undef PMC_RESOLVE
}

CodecLibrary::~CodecLibrary() = default;

QString CodecLibrary::libraryPathIn(const QString& folder) {
    return QDir(folder).filePath(libraryFileName());
}

void CodecLibrary::loadAtStart(const QString& programFolder) {
    const QString path = libraryPathIn(programFolder);
    if (processLibrary() && processLibrary()->path() == path)
        return;
    processLibrary() = std::make_unique<CodecLibrary>(path);
}

const CodecLibrary& CodecLibrary::instance() {
    if (!processLibrary())
        throw Error(QStringLiteral("The codec library is not loaded"));
    return *processLibrary();
}

bool CodecLibrary::isLoaded() {
    return processLibrary() != nullptr;
}

QString CodecLibrary::lastError() const {
    return QString::fromUtf8(api_.last_error());
}

formats::ErrorCause CodecLibrary::lastErrorCause() const {
    const pmc_error_info info = api_.last_error_info();
    return {static_cast<formats::ErrorKind>(info.kind),
            {static_cast<formats::CodeSource>(info.code_source), info.code}};
}

CodecLibrary::Image CodecLibrary::makeImageFromEncodedFile(const QString& path) const {
    if (path.isEmpty())
        throw Error(QStringLiteral("File name cannot be empty"));
    return Image(&api_, api_.image_make_from_encoded_file(path.toUtf8().constData()));
}

CodecLibrary::Image CodecLibrary::makeImageFromEncodedData(const QByteArray& bytes) const {
    return Image(&api_,
                 api_.image_make_from_encoded_data(bytes.constData(), std::size_t(bytes.size())));
}

CodecLibrary::Image CodecLibrary::makeImageFromPixels(const void* pixels, int width, int height,
                                                      pmc_colortype colorType,
                                                      pmc_alphatype alphaType,
                                                      std::size_t rowBytes) const {
    const pmc_image_info info{width, height, colorType, alphaType, nullptr};
    Image image(&api_, api_.image_make_raster_copy(&info, pixels, rowBytes));
    if (!image)
        throw Error(withReason(QStringLiteral("Cannot make a %1 x %2 image").arg(width).arg(height),
                               lastError()),
                    lastErrorCause());
    return image;
}

CodecLibrary::Image CodecLibrary::adoptPixels(std::vector<std::uint8_t> pixels, int width,
                                              int height, pmc_alphatype alphaType) const {
    const QString refused = QStringLiteral("Cannot make a %1 x %2 image").arg(width).arg(height);
    if (width <= 0 || height <= 0 || pixels.size() != std::size_t(width) * std::size_t(height) * 4)
        throw Error(withReason(refused, QStringLiteral("the pixels do not fill it")));
    using Pixels = std::vector<std::uint8_t>;
    auto* held = new Pixels(std::move(pixels));
    const pmc_image_info info{width, height, PMC_COLORTYPE_BGRA_8888, alphaType, nullptr};
    // The library gives the pixels back through this, also when it refuses them.
    const pmc_raster_release_proc release = [](void*, void* context) {
        delete static_cast<Pixels*>(context);
    };
    Image image(&api_, api_.image_make_raster_data(&info, held->data(), std::size_t(width) * 4,
                                                   release, held));
    if (!image)
        throw Error(withReason(refused, lastError()), lastErrorCause());
    return image;
}

CodecLibrary::Paint CodecLibrary::createPaint() const {
    Paint paint(&api_, api_.paint_create());
    if (!paint)
        throw Error(withReason(QStringLiteral("Cannot create a paint"), lastError()));
    return paint;
}

CodecLibrary::Surface CodecLibrary::makeRasterSurface(int width, int height) const {
    const pmc_image_info info{width, height, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL,
                              nullptr};
    Surface surface(
        &api_, api_.surface_make_raster(&info, std::size_t(width > 0 ? width : 0) * 4, nullptr));
    if (!surface)
        throw Error(
            withReason(QStringLiteral("Cannot create a %1 x %2 surface").arg(width).arg(height),
                       lastError()),
            lastErrorCause());
    return surface;
}

CodecLibrary::ColorFilter CodecLibrary::makeHighContrast(bool grayscale,
                                                         pmc_contrastinvertstyle invert,
                                                         float contrast) const {
    const pmc_highcontrastconfig config{grayscale, invert, contrast};
    ColorFilter filter(&api_, api_.colorfilter_make_high_contrast(&config));
    if (!filter)
        throw Error(withReason(QStringLiteral("Cannot create the colour filter"), lastError()));
    return filter;
}

CodecLibrary::Image CodecLibrary::renderSvgFile(const QString& path) const {
    if (path.isEmpty())
        throw Error(QStringLiteral("File name cannot be empty"));
    struct Dom {
        const Api& api;
        pmc_svgdom* dom;
        ~Dom() { api.svgdom_unref(dom); }
    } dom{api_, api_.svgdom_make_from_file(path.toUtf8().constData())};
    if (!dom.dom)
        throw Error(withReason(QStringLiteral("Cannot read %1").arg(QDir::toNativeSeparators(path)),
                               lastError()),
                    lastErrorCause());
    std::int32_t width = 0, height = 0;
    api_.svgdom_get_size(dom.dom, &width, &height);
    Surface surface = makeRasterSurface(width, height);
    surface.clear(0);
    if (!api_.svgdom_render(dom.dom, api_.surface_get_canvas(surface.get())))
        throw Error(withReason(QStringLiteral("Cannot draw %1").arg(QDir::toNativeSeparators(path)),
                               lastError()),
                    lastErrorCause());
    return surface.makeImageSnapshot();
}

formats::DecodedImage CodecLibrary::Image::toDecodedImage() const {
    formats::DecodedImage out;
    out.width = static_cast<std::uint32_t>(width());
    out.height = static_cast<std::uint32_t>(height());
    out.bgra.resize(std::size_t{out.width} * out.height * 4);
    if (!api_->image_read_pixels(object_, PMC_ALPHATYPE_UNPREMUL, out.bgra.data(),
                                 std::size_t{out.width} * 4))
        throw Error(withReason(QStringLiteral("Cannot read the decoded picture"),
                               QString::fromUtf8(api_->last_error())));
    for (std::size_t i = 3; i < out.bgra.size(); i += 4) {
        if (out.bgra[i] != 255) {
            out.hasAlpha = true;
            break;
        }
    }
    return out;
}

void CodecLibrary::Image::encodeToFile(const QString& path, pmc_encodedimageformat format,
                                       int quality) const {
    if (path.isEmpty())
        throw Error(QStringLiteral("File name cannot be empty"));
    if (api_->image_encode_to_file(object_, path.toUtf8().constData(), format, quality))
        return;
    const QString reason = QString::fromUtf8(api_->last_error());
    // The library's own text already names the file when the write itself failed.
    if (reason.startsWith(QStringLiteral("Cannot write ")))
        throw Error(reason);
    throw Error(
        withReason(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)), reason));
}

formats::ImageMetadata CodecLibrary::Image::metadata() const {
    const auto block = [this](pmc_metadata_kind kind) {
        std::size_t size = 0;
        const auto* data =
            static_cast<const std::uint8_t*>(api_->image_get_metadata(object_, kind, &size));
        return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>{};
    };
    return {block(PMC_METADATA_ICC), block(PMC_METADATA_EXIF), block(PMC_METADATA_XMP)};
}

void CodecLibrary::Image::setMetadata(const formats::ImageMetadata& metadata) {
    const std::pair<pmc_metadata_kind, const std::vector<std::uint8_t>*> blocks[] = {
        {PMC_METADATA_ICC, &metadata.icc},
        {PMC_METADATA_EXIF, &metadata.exif},
        {PMC_METADATA_XMP, &metadata.xmp}};
    // A refused block is damaged: the picture is written without it.
    for (const auto& [kind, block] : blocks)
        api_->image_set_metadata(object_, kind, block->data(), block->size());
}

void CodecLibrary::Surface::drawImage(const Image& image, float x, float y, const Paint* paint) {
    const pmc_sampling_options nearest{PMC_FILTER_NEAREST, PMC_MIPMAP_NONE};
    api_->canvas_draw_image(api_->surface_get_canvas(object_), image.get(), x, y, &nearest,
                            paint ? paint->get() : nullptr);
}

CodecLibrary::Image CodecLibrary::Surface::makeImageSnapshot() {
    Image image(api_, api_->surface_make_image_snapshot(object_));
    if (!image)
        throw Error(withReason(QStringLiteral("Cannot take a snapshot of the surface"),
                               QString::fromUtf8(api_->last_error())));
    return image;
}

bool loadCodecLibraryAtStart(Dialogs& dialogs, const QString& programFolder) {
    try {
        CodecLibrary::loadAtStart(programFolder);
        return true;
    } catch (const Error& e) {
        dialogs.showMessage(e.message(), kApplicationTitle, MessageIcon::Error);
        return false;
    }
}

void codecRoute(const CodecLibrary& codec, const QString& source, const QString& output,
                pmc_encodedimageformat format, int quality, bool grayscale,
                const formats::ImageMetadata& carried, bool keepMetadata) {
    CodecLibrary::Image image = codec.makeImageFromEncodedFile(source);
    if (!image)
        throw cannotDecode(codec, source);
    formats::ImageMetadata blocks = image.metadata();
    for (auto [own, other] :
         {std::pair{&blocks.icc, &carried.icc}, std::pair{&blocks.exif, &carried.exif},
          std::pair{&blocks.xmp, &carried.xmp}}) {
        if (own->empty())
            *own = *other;
    }
    if (!keepMetadata) {
        blocks.exif.clear();
        blocks.xmp.clear();
    }
    encodeCodecImage(codec, std::move(image), output, format, quality, grayscale, blocks);
}

void encodeCodecImage(const CodecLibrary& codec, CodecLibrary::Image image, const QString& output,
                      pmc_encodedimageformat format, int quality, bool grayscale,
                      const formats::ImageMetadata& blocks) {
    if (grayscale) {
        CodecLibrary::Paint paint = codec.createPaint();
        CodecLibrary::Surface surface = codec.makeRasterSurface(image.width(), image.height());
        surface.clear(0);
        CodecLibrary::ColorFilter filter = codec.makeHighContrast(true, PMC_INVERT_NONE, 0.0f);
        paint.setColorFilter(filter);
        surface.drawImage(image, 0.0f, 0.0f, &paint);
        // The source pixels are not needed any more; giving them back keeps the peak low.
        image = surface.makeImageSnapshot();
    }
    // Every kind is set, so blocks the image came with and `blocks` lacks are left out.
    image.setMetadata(blocks);
    image.encodeToFile(output, format, quality);
}

pmc_encodedimageformat codecLibraryFormat(CodecFormat format) {
    switch (format) {
        case CodecFormat::Jpeg:
            return PMC_FORMAT_JPEG;
        case CodecFormat::Png:
            return PMC_FORMAT_PNG;
        case CodecFormat::Webp:
            break;
    }
    return PMC_FORMAT_WEBP;
}

CodecOutput codecOutputFor(const QString& outputType, int quality) {
    const OutputType* row = findOutputType(outputType.toUpper());
    if (!row || !row->codecFormat)
        throw Error(QStringLiteral("The codec library does not write %1 files").arg(outputType));
    return {codecLibraryFormat(*row->codecFormat), row->fixedQuality.value_or(quality)};
}

void codecRoute(const QString& source, const QString& output, pmc_encodedimageformat format,
                int quality, bool grayscale, const formats::ImageMetadata& carried,
                bool keepMetadata) {
    codecRoute(CodecLibrary::instance(), source, output, format, quality, grayscale, carried,
               keepMetadata);
}

formats::DecodedImage decodeWithCodecLibrary(const QString& path) {
    const CodecLibrary& codec = CodecLibrary::instance();
    CodecLibrary::Image image = codec.makeImageFromEncodedFile(path);
    if (!image)
        throw cannotDecode(codec, path);
    return image.toDecodedImage();
}

formats::DecodedImage renderSvg(const QString& path) {
    return CodecLibrary::instance().renderSvgFile(path).toDecodedImage();
}

}  // namespace pixmorrow
