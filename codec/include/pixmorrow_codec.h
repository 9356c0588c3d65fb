/* The codec library: decoding, a raster surface to draw on, a grayscale colour filter and
 * encoding, behind a plain C interface so the program can load it at run time by name.
 *
 * Pixels are 32 bits, B, G, R, A in memory order. Images and surfaces hold premultiplied
 * alpha. Objects are reference-counted: every make/create call returns one reference that
 * the caller gives back with the type's unref (paint: destroy). Passing NULL to any unref
 * or destroy is allowed. Functions that fail return NULL/false and leave a text for
 * pmc_last_error() on the calling thread, and for decoding failures a kind and the
 * underlying library's own code for pmc_last_error_info(). */
#ifndef PIXMORROW_CODEC_H
#define PIXMORROW_CODEC_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(PMC_BUILDING_LIBRARY)
#define PMC_API __attribute__((visibility("default")))
#else
#define PMC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct pmc_image pmc_image;
typedef struct pmc_surface pmc_surface;
typedef struct pmc_canvas pmc_canvas;
typedef struct pmc_paint pmc_paint;
typedef struct pmc_colorfilter pmc_colorfilter;
typedef struct pmc_svgdom pmc_svgdom;

/* Colour types; only BGRA 8888 is supported for raster surfaces. BGR 888 (three bytes a
 * pixel, B, G, R, opaque) is only taken by pmc_image_make_raster_copy. */
typedef enum pmc_colortype {
    PMC_COLORTYPE_UNKNOWN = 0,
    PMC_COLORTYPE_BGRA_8888 = 6,
    PMC_COLORTYPE_BGR_888 = 7
} pmc_colortype;

typedef enum pmc_alphatype {
    PMC_ALPHATYPE_UNKNOWN = 0,
    PMC_ALPHATYPE_OPAQUE = 1,
    PMC_ALPHATYPE_PREMUL = 2,
    PMC_ALPHATYPE_UNPREMUL = 3
} pmc_alphatype;

/* Encoded-image formats, in this numbering. JPEG, PNG and WEBP can be written. */
typedef enum pmc_encodedimageformat {
    PMC_FORMAT_BMP = 0,
    PMC_FORMAT_GIF = 1,
    PMC_FORMAT_ICO = 2,
    PMC_FORMAT_JPEG = 3,
    PMC_FORMAT_PNG = 4,
    PMC_FORMAT_WBMP = 5,
    PMC_FORMAT_WEBP = 6
} pmc_encodedimageformat;

typedef struct pmc_image_info {
    int32_t width;
    int32_t height;
    pmc_colortype color_type;
    pmc_alphatype alpha_type;
    const void* color_space; /* must be NULL: pixels are used as they are */
} pmc_image_info;

typedef enum pmc_filtermode { PMC_FILTER_NEAREST = 0, PMC_FILTER_LINEAR = 1 } pmc_filtermode;
typedef enum pmc_mipmapmode {
    PMC_MIPMAP_NONE = 0,
    PMC_MIPMAP_NEAREST = 1,
    PMC_MIPMAP_LINEAR = 2
} pmc_mipmapmode;

/* Only nearest sampling without mipmaps is supported: the image is drawn 1:1. */
typedef struct pmc_sampling_options {
    pmc_filtermode filter;
    pmc_mipmapmode mipmap;
} pmc_sampling_options;

typedef enum pmc_contrastinvertstyle {
    PMC_INVERT_NONE = 0,
    PMC_INVERT_BRIGHTNESS = 1,
    PMC_INVERT_LIGHTNESS = 2
} pmc_contrastinvertstyle;

typedef struct pmc_highcontrastconfig {
    bool grayscale;
    pmc_contrastinvertstyle invert_style;
    float contrast; /* -1 .. 1; 0 leaves contrast as it is */
} pmc_highcontrastconfig;

/* What kind of failure a decoding failure is. */
typedef enum pmc_error_kind {
    PMC_ERROR_NONE = 0,        /* no failure, or not a decoding one (a bad argument, a file
                                  that cannot be read) */
    PMC_ERROR_TRUNCATED = 1,   /* the data ends before the picture does */
    PMC_ERROR_TOO_LARGE = 2,   /* over the library's size limits */
    PMC_ERROR_UNSUPPORTED = 3, /* not a format read here, or a variant of it that is not */
    PMC_ERROR_CORRUPT = 4,     /* the data breaks its format's rules */
    PMC_ERROR_LIBRARY = 5      /* an underlying library failed without saying more */
} pmc_error_kind;

/* Whose numbering pmc_error_info.code is in. */
typedef enum pmc_code_source {
    PMC_CODE_NONE = 0,    /* no code */
    PMC_CODE_LIBJPEG = 1, /* libjpeg's message code; 53 is "Not a JPEG file" */
    PMC_CODE_ZLIB = 2,    /* zlib's inflate status (Z_DATA_ERROR ...) */
    PMC_CODE_LIBPNG = 3,  /* reserved: libpng has no error numbers */
    PMC_CODE_LIBWEBP = 4, /* libwebp's VP8StatusCode */
    PMC_CODE_LIBTIFF = 5, /* reserved: libtiff has no error numbers */
    PMC_CODE_JXRLIB = 6,  /* jxrlib's ERR (WMP_err...) */
    PMC_CODE_LIBRSVG = 7  /* librsvg's RsvgError */
} pmc_code_source;

typedef struct pmc_error_info {
    pmc_error_kind kind;
    pmc_code_source code_source;
    int32_t code; /* 0 when code_source is PMC_CODE_NONE */
} pmc_error_info;

/* Blocks an image carries besides its pixels, written into the files it is encoded into. */
typedef enum pmc_metadata_kind {
    PMC_METADATA_ICC = 0,  /* an ICC colour profile: what the pixel values mean */
    PMC_METADATA_EXIF = 1, /* an EXIF block: a TIFF structure, "II*\0" or "MM\0*" first */
    PMC_METADATA_XMP = 2,  /* an XMP packet */
    /* Not a kind: makes every int a value of the type, so a kind from a newer caller is
     * refused with an error instead of being undefined in the library. */
    PMC_METADATA_KIND_RANGE_ = 0x7fffffff
} pmc_metadata_kind;

/* Text of the last failure on this thread ("" when none). Valid until the next call. */
PMC_API const char* pmc_last_error(void);
/* Kind and library code of the same failure; all zero when there was none. The text of
 * pmc_last_error() is what a user is shown; this is for a program that acts on the failure. */
PMC_API pmc_error_info pmc_last_error_info(void);

/* Images. make_from_encoded_* follow the content (JPEG, PNG, GIF, WebP, BMP, ICO, WBMP),
 * give the first frame of an animation and apply an EXIF orientation. NULL when the bytes
 * cannot be decoded; an empty path is refused with "File name cannot be empty". The image
 * carries the file's colour profile, EXIF and XMP blocks (pmc_image_get_metadata). */
PMC_API pmc_image* pmc_image_make_from_encoded_file(const char* path_utf8);
PMC_API pmc_image* pmc_image_make_from_encoded_data(const void* data, size_t size);
/* An image of a copy of the caller's pixels, rows row_bytes apart (at least width times the
 * bytes of a pixel): BGRA 8888 with alpha type PREMUL (taken as they are) or UNPREMUL
 * (premultiplied as decoding does, so straight pixels a decoder gave make the image decoding
 * the file makes), or BGR 888 (alpha type OPAQUE; alpha 255). color_space must be NULL; the
 * sides are held to the decoders' limits. NULL when refused. The image carries no blocks. */
PMC_API pmc_image* pmc_image_make_raster_copy(const pmc_image_info* info, const void* pixels,
                                              size_t row_bytes);
/* Called with the pixels and context given to pmc_image_make_raster_data when the image no
 * longer uses them. */
typedef void (*pmc_raster_release_proc)(void* pixels, void* context);
/* The same as pmc_image_make_raster_copy for BGRA 8888 pixels rows width * 4 bytes apart,
 * without a copy: the image uses the caller's pixels, premultiplying UNPREMUL ones in place,
 * and calls release (which may be NULL) when it goes. The caller must not touch them until
 * then. When the call fails (NULL), release has already been called. */
PMC_API pmc_image* pmc_image_make_raster_data(const pmc_image_info* info, void* pixels,
                                              size_t row_bytes, pmc_raster_release_proc release,
                                              void* context);
PMC_API int32_t pmc_image_get_width(const pmc_image* image);
PMC_API int32_t pmc_image_get_height(const pmc_image* image);
/* Copies the pixels as BGRA 8888 with the given alpha type (PREMUL or UNPREMUL) into dst,
 * rows dst_row_bytes apart (at least width * 4). */
PMC_API bool pmc_image_read_pixels(const pmc_image* image, pmc_alphatype alpha_type, void* dst,
                                   size_t dst_row_bytes);
/* The image's own premultiplied pixels, rows width * 4 bytes apart; valid while the image is. */
PMC_API const void* pmc_image_peek_pixels(const pmc_image* image);
/* Encodes into a new file at path: the call fails, leaving nothing, when the file exists or
 * cannot be written completely. quality 1..100; WEBP at 100 is lossless. The image's blocks
 * go with it: JPEG the profile over as many APP2 ICC_PROFILE markers as it takes, EXIF and
 * XMP each in an APP1 marker when it fits in one (64 KiB, else it is left out); PNG a
 * compressed iCCP chunk (which the PNG library leaves out for a profile of another colour
 * space than the file's), eXIf, and iTXt XML:com.adobe.xmp; WEBP the ICCP, EXIF and XMP
 * chunks of the extended format. An image without blocks gives the bytes it gave before
 * blocks were carried. A PNG file of an opaque image has no alpha channel: it is 8-bit RGB,
 * or 8-bit gray when every pixel is gray and the image has no profile or a gray one. */
PMC_API bool pmc_image_encode_to_file(const pmc_image* image, const char* path_utf8,
                                      pmc_encodedimageformat format, int32_t quality);
/* The image's block of that kind, its size in *size (when size is not NULL); NULL and 0 when
 * it has none. Valid until the block is set again or the image goes. A decoded image holds
 * what its file holds: JPEG APP2 ICC_PROFILE and APP1 Exif and XMP markers, PNG iCCP, eXIf
 * and iTXt XML:com.adobe.xmp chunks, WebP ICCP, EXIF and XMP chunks. A block that is
 * damaged or larger than 4 MiB is left out and the picture decodes as without it. Its EXIF
 * block describes the pixels as they are decoded: orientation 1 and no thumbnail. */
PMC_API const void* pmc_image_get_metadata(const pmc_image* image, pmc_metadata_kind kind,
                                           size_t* size);
/* Gives the image a copy of the block, in place of the one it had (every reference to the
 * image sees it); size 0 removes it. Refused (false, and the image then has none of that
 * kind) for more than 4 MiB, a profile that is not whole (its header's length not the size,
 * no "acsp" signature, a tag outside it) or an EXIF block that is not a TIFF structure.
 * EXIF is kept as an output of upright pixels takes it: orientation 1, no thumbnail. */
PMC_API bool pmc_image_set_metadata(pmc_image* image, pmc_metadata_kind kind, const void* data,
                                    size_t size);
PMC_API void pmc_image_ref(const pmc_image* image);
PMC_API void pmc_image_unref(const pmc_image* image);

/* Surfaces and their canvas. */
PMC_API pmc_surface* pmc_surface_make_raster(const pmc_image_info* info, size_t row_bytes,
                                             const void* props);
/* The surface's canvas, owned by the surface. */
PMC_API pmc_canvas* pmc_surface_get_canvas(pmc_surface* surface);
/* An image of the surface's current pixels. It shares them; the surface copies them first
 * when it is drawn to again while the image lives. */
PMC_API pmc_image* pmc_surface_make_image_snapshot(pmc_surface* surface);
PMC_API const void* pmc_surface_peek_pixels(const pmc_surface* surface);
PMC_API void pmc_surface_ref(const pmc_surface* surface);
PMC_API void pmc_surface_unref(const pmc_surface* surface);

/* color is 0xAARRGGBB, unpremultiplied. */
PMC_API void pmc_canvas_clear(pmc_canvas* canvas, uint32_t color);
/* Draws image with its top-left corner at (x, y), source over; paint may be NULL. */
PMC_API void pmc_canvas_draw_image(pmc_canvas* canvas, const pmc_image* image, float x, float y,
                                   const pmc_sampling_options* sampling, const pmc_paint* paint);

/* Paints (not shared: create and destroy). */
PMC_API pmc_paint* pmc_paint_create(void);
PMC_API void pmc_paint_destroy(pmc_paint* paint);
/* The paint takes its own reference to filter; NULL removes the filter. */
PMC_API void pmc_paint_set_color_filter(pmc_paint* paint, pmc_colorfilter* filter);

/* Colour filters. */
PMC_API pmc_colorfilter* pmc_colorfilter_make_high_contrast(const pmc_highcontrastconfig* config);
PMC_API void pmc_colorfilter_ref(const pmc_colorfilter* filter);
PMC_API void pmc_colorfilter_unref(const pmc_colorfilter* filter);

/* SVG documents (librsvg). */
PMC_API pmc_svgdom* pmc_svgdom_make_from_file(const char* path_utf8);
/* The document's own size in pixels, rounded to whole pixels. */
PMC_API bool pmc_svgdom_get_size(const pmc_svgdom* dom, int32_t* width, int32_t* height);
/* Renders the document at its own size with its top-left corner at the canvas origin. */
PMC_API bool pmc_svgdom_render(const pmc_svgdom* dom, pmc_canvas* canvas);
PMC_API void pmc_svgdom_unref(const pmc_svgdom* dom);

#ifdef __cplusplus
}
#endif

#endif
