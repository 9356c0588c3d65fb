// A command-line run of the codec library's route, so whole-process timings can be set
// against the WebP tools: decode, draw onto a raster surface (optionally through the
// grayscale filter), encode a snapshot.
//   pixmorrow_codec_cli SOURCE OUTPUT FORMAT QUALITY [gray]   (FORMAT: 3 JPEG, 4 PNG, 6 WEBP)
//   pixmorrow_codec_cli --decode SOURCE                       (decode only)
#include "pixmorrow_codec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0) {
        pmc_image* image = pmc_image_make_from_encoded_file(argv[2]);
        if (!image) {
            std::fprintf(stderr, "%s\n", pmc_last_error());
            return 1;
        }
        std::printf("%d x %d\n", pmc_image_get_width(image), pmc_image_get_height(image));
        pmc_image_unref(image);
        return 0;
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SOURCE OUTPUT FORMAT QUALITY [gray]\n", argv[0]);
        return 2;
    }
    const bool gray = argc > 5 && std::strcmp(argv[5], "gray") == 0;
    pmc_image* image = pmc_image_make_from_encoded_file(argv[1]);
    if (!image) {
        std::fprintf(stderr, "%s\n", pmc_last_error());
        return 1;
    }
    pmc_paint* paint = pmc_paint_create();
    const pmc_image_info info{pmc_image_get_width(image), pmc_image_get_height(image),
                              PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr};
    pmc_surface* surface = pmc_surface_make_raster(&info, std::size_t(info.width) * 4, nullptr);
    if (!surface) {
        std::fprintf(stderr, "%s\n", pmc_last_error());
        return 1;
    }
    pmc_canvas* canvas = pmc_surface_get_canvas(surface);
    pmc_canvas_clear(canvas, 0);
    if (gray) {
        const pmc_highcontrastconfig config{true, PMC_INVERT_NONE, 0.0f};
        pmc_colorfilter* filter = pmc_colorfilter_make_high_contrast(&config);
        pmc_paint_set_color_filter(paint, filter);
        pmc_colorfilter_unref(filter);
    }
    const pmc_sampling_options nearest{PMC_FILTER_NEAREST, PMC_MIPMAP_NONE};
    pmc_canvas_draw_image(canvas, image, 0, 0, &nearest, paint);
    pmc_image_unref(image);
    pmc_image* snapshot = pmc_surface_make_image_snapshot(surface);
    const bool ok = pmc_image_encode_to_file(
        snapshot, argv[2], static_cast<pmc_encodedimageformat>(std::atoi(argv[3])),
        std::atoi(argv[4]));
    if (!ok)
        std::fprintf(stderr, "%s\n", pmc_last_error());
    pmc_image_unref(snapshot);
    pmc_surface_unref(surface);
    pmc_paint_destroy(paint);
    return ok ? 0 : 1;
}
