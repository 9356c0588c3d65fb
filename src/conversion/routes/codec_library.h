#pragma once

#include "conversion/format_table.h"
#include "formats/decoded_image.h"
#include "formats/metadata.h"
#include "pixmorrow_codec.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QLibrary;

namespace pixmorrow {

class Dialogs;

// The codec library (libpixmorrow_codec.so in the program folder), loaded at run time with
// every function found by name, and owning handles over its objects.
class CodecLibrary {
public:
    // Every function of the library, resolved by name.
    struct Api {
        decltype(&::pmc_last_error) last_error;
        decltype(&::pmc_last_error_info) last_error_info;
        decltype(&::pmc_image_make_from_encoded_file) image_make_from_encoded_file;
        decltype(&::pmc_image_make_from_encoded_data) image_make_from_encoded_data;
        decltype(&::pmc_image_make_raster_copy) image_make_raster_copy;
        decltype(&::pmc_image_make_raster_data) image_make_raster_data;
        decltype(&::pmc_image_get_width) image_get_width;
        decltype(&::pmc_image_get_height) image_get_height;
        decltype(&::pmc_image_read_pixels) image_read_pixels;
        decltype(&::pmc_image_peek_pixels) image_peek_pixels;
        decltype(&::pmc_image_encode_to_file) image_encode_to_file;
        decltype(&::pmc_image_get_metadata) image_get_metadata;
        decltype(&::pmc_image_set_metadata) image_set_metadata;
        decltype(&::pmc_image_ref) image_ref;
        decltype(&::pmc_image_unref) image_unref;
        decltype(&::pmc_surface_make_raster) surface_make_raster;
        decltype(&::pmc_surface_get_canvas) surface_get_canvas;
        decltype(&::pmc_surface_make_image_snapshot) surface_make_image_snapshot;
        decltype(&::pmc_surface_peek_pixels) surface_peek_pixels;
        decltype(&::pmc_surface_ref) surface_ref;
        decltype(&::pmc_surface_unref) surface_unref;
        decltype(&::pmc_canvas_clear) canvas_clear;
        decltype(&::pmc_canvas_draw_image) canvas_draw_image;
        decltype(&::pmc_paint_create) paint_create;
        decltype(&::pmc_paint_destroy) paint_destroy;
        decltype(&::pmc_paint_set_color_filter) paint_set_color_filter;
        decltype(&::pmc_colorfilter_make_high_contrast) colorfilter_make_high_contrast;
        decltype(&::pmc_colorfilter_ref) colorfilter_ref;
        decltype(&::pmc_colorfilter_unref) colorfilter_unref;
        decltype(&::pmc_svgdom_make_from_file) svgdom_make_from_file;
        decltype(&::pmc_svgdom_get_size) svgdom_get_size;
        decltype(&::pmc_svgdom_render) svgdom_render;
        decltype(&::pmc_svgdom_unref) svgdom_unref;
    };

    // An owning reference to one library object; empty when the library gave none.
    template <typename T>
    class Handle {
    public:
        Handle() = default;
        Handle(const Api* api, T* object) : api_(api), object_(object) {}
        Handle(Handle&& other) noexcept
            : api_(other.api_), object_(std::exchange(other.object_, nullptr)) {}
        Handle& operator=(Handle&& other) noexcept {
            if (this != &other) {
                reset();
                api_ = other.api_;
                object_ = std::exchange(other.object_, nullptr);
            }
            return *this;
        }
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;
        ~Handle() { reset(); }

        T* get() const { return object_; }
        explicit operator bool() const { return object_ != nullptr; }
        void reset();

    protected:
        const Api* api_ = nullptr;
        T* object_ = nullptr;
    };

    class Image : public Handle<pmc_image> {
    public:
        using Handle::Handle;
        int width() const { return api_->image_get_width(object_); }
        int height() const { return api_->image_get_height(object_); }
        // The image's own premultiplied BGRA pixels.
        const void* peekPixels() const { return api_->image_peek_pixels(object_); }
        // Straight BGRA copy of the pixels.
        formats::DecodedImage toDecodedImage() const;
        // Writes a new file (never replacing one); throws Error when it cannot.
        void encodeToFile(const QString& path, pmc_encodedimageformat format, int quality) const;
        // The profile, EXIF and XMP blocks the image carries.
        formats::ImageMetadata metadata() const;
        // Gives the image these blocks; one the library refuses (damaged) is left out.
        void setMetadata(const formats::ImageMetadata& metadata);
    };

    class ColorFilter : public Handle<pmc_colorfilter> {
    public:
        using Handle::Handle;
    };

    class Paint : public Handle<pmc_paint> {
    public:
        using Handle::Handle;
        void setColorFilter(const ColorFilter& filter) {
            api_->paint_set_color_filter(object_, filter.get());
        }
    };

    class Surface : public Handle<pmc_surface> {
    public:
        using Handle::Handle;
        // color: 0xAARRGGBB.
        void clear(std::uint32_t color) {
            api_->canvas_clear(api_->surface_get_canvas(object_), color);
        }
        // Nearest sampling without mipmaps.
        void drawImage(const Image& image, float x, float y, const Paint* paint);
        Image makeImageSnapshot();
        const void* peekPixels() const { return api_->surface_peek_pixels(object_); }
    };

    // Loads the library file and resolves every function; throws Error naming what is
    // missing.
    explicit CodecLibrary(const QString& libraryPath);
    ~CodecLibrary();
    CodecLibrary(const CodecLibrary&) = delete;
    CodecLibrary& operator=(const CodecLibrary&) = delete;

    static QString libraryFileName() { return QStringLiteral("libpixmorrow_codec.so"); }
    static QString libraryPathIn(const QString& folder);

    // The process's own library, loaded once at start from the program folder. instance()
    // throws Error when it was never loaded.
    static void loadAtStart(const QString& programFolder);
    static const CodecLibrary& instance();
    static bool isLoaded();

    const Api& api() const { return api_; }
    const QString& path() const { return path_; }
    // The library's text for its last failure on this thread.
    QString lastError() const;
    // The kind and library code of that failure.
    formats::ErrorCause lastErrorCause() const;

    // Null Image when the content cannot be decoded (lastError() says why); an empty path
    // throws Error("File name cannot be empty") without calling the library.
    Image makeImageFromEncodedFile(const QString& path) const;
    Image makeImageFromEncodedData(const QByteArray& bytes) const;
    // An image of a copy of pixels held elsewhere (see pmc_image_make_raster_copy); throws
    // Error when the library refuses them.
    Image makeImageFromPixels(const void* pixels, int width, int height, pmc_colortype colorType,
                              pmc_alphatype alphaType, std::size_t rowBytes) const;
    // An image over BGRA pixels the caller gives up (width * height * 4 bytes, rows without a
    // gap), without a copy: premultiplied in place when `alphaType` is UNPREMUL, freed when
    // the image goes. Throws Error when the library refuses them.
    Image adoptPixels(std::vector<std::uint8_t> pixels, int width, int height,
                      pmc_alphatype alphaType) const;
    Paint createPaint() const;
    // Premultiplied BGRA 8888, no colour space, rows width * 4 bytes; throws Error.
    Surface makeRasterSurface(int width, int height) const;
    ColorFilter makeHighContrast(bool grayscale, pmc_contrastinvertstyle invert,
                                 float contrast) const;
    // The SVG document rendered at its own size rounded to whole pixels; throws Error.
    Image renderSvgFile(const QString& path) const;

private:
    std::unique_ptr<QLibrary> library_;
    QString path_;
    Api api_{};
};

// How each library object is given back.
inline void releaseObject(const CodecLibrary::Api& api, pmc_image* o) {
    api.image_unref(o);
}
inline void releaseObject(const CodecLibrary::Api& api, pmc_surface* o) {
    api.surface_unref(o);
}
inline void releaseObject(const CodecLibrary::Api& api, pmc_paint* o) {
    api.paint_destroy(o);
}
inline void releaseObject(const CodecLibrary::Api& api, pmc_colorfilter* o) {
    api.colorfilter_unref(o);
}

template <typename T>
void CodecLibrary::Handle<T>::reset() {
    if (object_)
        releaseObject(*api_, std::exchange(object_, nullptr));
}

// Loads the process's codec library from the program folder. When it cannot, shows the reason
// in an error box titled with the application title and returns false: the program cannot
// convert anything without it.
bool loadCodecLibraryAtStart(Dialogs& dialogs, const QString& programFolder);

// The codec library's way from a source file to an output: decode the file by its content,
// draw it onto a transparent raster surface (through the grayscale filter when asked) and
// encode a snapshot into `output` with that format and quality. The output takes the
// source's colour profile, and its EXIF and XMP when `keepMetadata`; a block the source
// lacks is taken from `carried` (what the decoding stage found, for a source that is the
// work bitmap's intermediate file). Throws Error when the source cannot be decoded or the
// output cannot be written; a failed write leaves nothing.
void codecRoute(const CodecLibrary& codec, const QString& source, const QString& output,
                pmc_encodedimageformat format, int quality, bool grayscale,
                const formats::ImageMetadata& carried = {}, bool keepMetadata = false);

// The end of the codec library route, for an image decoded from the source or made of the
// pixels the decoding stage holds: when `grayscale`, drawn through the grayscale filter onto a
// transparent surface (which, without a filter, would copy the pixels as they are), then
// encoded into `output` with exactly `blocks`. Takes the image, so its pixels are given back
// as soon as they are drawn. Throws Error; a failed write leaves nothing.
void encodeCodecImage(const CodecLibrary& codec, CodecLibrary::Image image, const QString& output,
                      pmc_encodedimageformat format, int quality, bool grayscale,
                      const formats::ImageMetadata& blocks);

// The library's own value for a format of the codec library route.
pmc_encodedimageformat codecLibraryFormat(CodecFormat format);

// How the codec route writes an output type (any letter case): the format of its row in the
// format table, with the quality given unless the row fixes one. Throws Error for a type the
// route does not write.
struct CodecOutput {
    pmc_encodedimageformat format;
    int quality;
};
CodecOutput codecOutputFor(const QString& outputType, int quality);

// The same through the library loaded at start.
void codecRoute(const QString& source, const QString& output, pmc_encodedimageformat format,
                int quality, bool grayscale, const formats::ImageMetadata& carried = {},
                bool keepMetadata = false);

// The picture loader's way for .webp and .wbmp files: the first frame, straight BGRA.
formats::DecodedImage decodeWithCodecLibrary(const QString& path);

// The picture loader's way for .svg files: rendered at the document's size on transparency.
formats::DecodedImage renderSvg(const QString& path);

}  // namespace pixmorrow
