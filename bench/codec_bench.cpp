// In-process timings of the codec library on a 12 MP photo: JPEG decoding, drawing with and
// without the grayscale filter, and encoding. The photo comes from PIXMORROW_BENCH_PHOTO
// (bench/codec.sh makes one), else one is made with ImageMagick.
#include "pixmorrow_codec.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string photoPath() {
    if (const char* p = std::getenv("PIXMORROW_BENCH_PHOTO"))
        return p;
    static const std::string made = [] {
        const std::string path = "/tmp/pixmorrow-bench-photo-12mp.jpg";
        if (access(path.c_str(), R_OK) != 0) {
            const std::string command =
                "convert -seed 42 -size 4000x3000 plasma:fractal -quality 90 " + path +
                " 2>/dev/null";
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "cannot make %s\n", path.c_str());
        }
        return path;
    }();
    return made;
}

pmc_image* decodePhoto() {
    return pmc_image_make_from_encoded_file(photoPath().c_str());
}

void BM_JpegDecode12MP(benchmark::State& state) {
    for (auto _ : state) {
        pmc_image* image = decodePhoto();
        if (!image) {
            state.SkipWithError(pmc_last_error());
            return;
        }
        benchmark::DoNotOptimize(image);
        pmc_image_unref(image);
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_JpegDecode12MP)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Draw12MP(benchmark::State& state) {
    pmc_image* image = decodePhoto();
    if (!image) {
        state.SkipWithError(pmc_last_error());
        return;
    }
    const pmc_image_info info{pmc_image_get_width(image), pmc_image_get_height(image),
                              PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr};
    pmc_surface* surface = pmc_surface_make_raster(&info, std::size_t(info.width) * 4, nullptr);
    pmc_paint* paint = pmc_paint_create();
    if (state.range(0)) {
        const pmc_highcontrastconfig config{true, PMC_INVERT_NONE, 0.0f};
        pmc_colorfilter* filter = pmc_colorfilter_make_high_contrast(&config);
        pmc_paint_set_color_filter(paint, filter);
        pmc_colorfilter_unref(filter);
    }
    const pmc_sampling_options nearest{PMC_FILTER_NEAREST, PMC_MIPMAP_NONE};
    for (auto _ : state) {
        pmc_canvas_clear(pmc_surface_get_canvas(surface), 0);
        pmc_canvas_draw_image(pmc_surface_get_canvas(surface), image, 0, 0, &nearest, paint);
    }
    pmc_paint_destroy(paint);
    pmc_surface_unref(surface);
    pmc_image_unref(image);
}
BENCHMARK(BM_Draw12MP)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("gray")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Encode12MP(benchmark::State& state) {
    pmc_image* image = decodePhoto();
    if (!image) {
        state.SkipWithError(pmc_last_error());
        return;
    }
    const auto format = static_cast<pmc_encodedimageformat>(state.range(0));
    const int quality = static_cast<int>(state.range(1));
    const std::string out = "/tmp/pixmorrow-bench-encode-" + std::to_string(getpid());
    for (auto _ : state) {
        std::remove(out.c_str());
        if (!pmc_image_encode_to_file(image, out.c_str(), format, quality)) {
            state.SkipWithError(pmc_last_error());
            break;
        }
    }
    std::remove(out.c_str());
    pmc_image_unref(image);
}
BENCHMARK(BM_Encode12MP)
    ->Args({PMC_FORMAT_WEBP, 80})
    ->Args({PMC_FORMAT_JPEG, 80})
    ->Args({PMC_FORMAT_PNG, 80})
    ->ArgNames({"format", "quality"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
