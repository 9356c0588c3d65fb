// SVG documents through librsvg, drawn by cairo straight into a surface's pixels (cairo's
// ARGB32 is premultiplied B, G, R, A in memory on little-endian machines).
#include "objects.h"
#include "pixels.h"

#include "formats/decode_limits.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <string>

struct pmc_svgdom : pixmorrow::codec::RefCounted {
    RsvgHandle* handle = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // The unrounded size: the document is drawn at it, not stretched to the rounded one.
    double exactWidth = 0;
    double exactHeight = 0;
    ~pmc_svgdom() override {
        if (handle)
            g_object_unref(handle);
    }
};

using pixmorrow::codec::setLastError;

namespace {

// librsvg reports a parse error and an unreadable file alike, as RSVG_ERROR_FAILED with a
// text: its code is passed on, and nothing tells the kind apart.
pixmorrow::formats::ErrorCause causeOf(const GError* error) {
    using pixmorrow::formats::CodeSource;
    using pixmorrow::formats::ErrorKind;
    if (error && error->domain == RSVG_ERROR)
        return {ErrorKind::Library, {CodeSource::Librsvg, error->code}};
    return {ErrorKind::Library, {}};
}

// Records librsvg's failure (or `fallback` when it gave no text) and frees its error.
void failWith(GError* error, const char* fallback) {
    setLastError(std::string("SVG error: ") + (error ? error->message : fallback), causeOf(error));
    if (error)
        g_error_free(error);
}

}  // namespace

extern "C" {

PMC_API pmc_svgdom* pmc_svgdom_make_from_file(const char* path) {
    pixmorrow::codec::clearLastError();
    if (!path || !*path) {
        setLastError("File name cannot be empty");
        return nullptr;
    }
    GError* error = nullptr;
    GFile* file = g_file_new_for_path(path);
    RsvgHandle* handle =
        rsvg_handle_new_from_gfile_sync(file, RSVG_HANDLE_FLAGS_NONE, nullptr, &error);
    g_object_unref(file);
    if (!handle) {
        failWith(error, "cannot read the document");
        return nullptr;
    }
    rsvg_handle_set_dpi(handle, 96.0);
    double w = 0, h = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h)) {
        // No absolute width and height: the viewBox gives the size.
        gboolean hasWidth, hasHeight, hasViewBox;
        RsvgLength width, height;
        RsvgRectangle viewBox;
        rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &width, &hasHeight, &height,
                                             &hasViewBox, &viewBox);
        if (hasViewBox) {
            w = viewBox.width;
            h = viewBox.height;
        }
    }
    const double rw = std::round(w), rh = std::round(h);
    try {
        if (!(rw >= 1 && rh >= 1))
            throw pixmorrow::formats::DecodeError("SVG document has no size",
                                                  pixmorrow::formats::ErrorKind::Corrupt);
        pixmorrow::formats::checkRoundedSize(rw, rh, "SVG");
    } catch (const std::exception& e) {
        const auto* decoding = dynamic_cast<const pixmorrow::formats::DecodeError*>(&e);
        setLastError(e.what(), decoding ? decoding->cause() : pixmorrow::formats::ErrorCause{});
        g_object_unref(handle);
        return nullptr;
    }
    auto* dom = new pmc_svgdom;
    dom->handle = handle;
    dom->width = static_cast<std::int32_t>(rw);
    dom->height = static_cast<std::int32_t>(rh);
    dom->exactWidth = w;
    dom->exactHeight = h;
    return dom;
}

PMC_API bool pmc_svgdom_get_size(const pmc_svgdom* dom, std::int32_t* width, std::int32_t* height) {
    if (!dom)
        return false;
    if (width)
        *width = dom->width;
    if (height)
        *height = dom->height;
    return true;
}

PMC_API bool pmc_svgdom_render(const pmc_svgdom* dom, pmc_canvas* canvas) {
    pixmorrow::codec::clearLastError();
    if (!dom || !canvas || !canvas->surface)
        return false;
    auto& pixels = canvas->surface->writablePixels();
    cairo_surface_t* target = cairo_image_surface_create_for_data(
        pixels.data(), CAIRO_FORMAT_ARGB32, static_cast<int>(pixels.width),
        static_cast<int>(pixels.height), static_cast<int>(pixels.rowBytes()));
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        setLastError("SVG error: cannot draw on this surface",
                     {pixmorrow::formats::ErrorKind::Library, {}});
        return false;
    }
    cairo_t* cr = cairo_create(target);
    RsvgRectangle viewport{0, 0, dom->exactWidth, dom->exactHeight};
    GError* error = nullptr;
    const bool ok = rsvg_handle_render_document(dom->handle, cr, &viewport, &error);
    if (!ok) {
        failWith(error, "cannot render the document");
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    return ok;
}

PMC_API void pmc_svgdom_unref(const pmc_svgdom* dom) {
    if (dom)
        dom->unref();
}

}  // extern "C"
