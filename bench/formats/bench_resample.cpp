// The resampler on a 24 MP picture (6000 x 4000) shrunk to 1920 x 1280, opaque and
// transparent: the numbers the choice of resampling library was made by, beside
// `VIPS_CONCURRENCY=1 vips resize` on the same size (bench/resample_vs_vips.sh).
#include "formats/resample.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace pixmorrow::formats;

DecodedImage picture(bool alpha) {
    DecodedImage image;
    image.width = 6000;
    image.height = 4000;
    image.hasAlpha = alpha;
    image.bgra.resize(std::size_t{image.width} * image.height * 4);
    std::mt19937 random(1);
    for (std::size_t i = 0; i < image.bgra.size(); i += 4) {
        const auto value = static_cast<std::uint8_t>(random());
        image.bgra[i] = value;
        image.bgra[i + 1] = static_cast<std::uint8_t>(value * 3);
        image.bgra[i + 2] = static_cast<std::uint8_t>(255 - value);
        image.bgra[i + 3] = alpha ? static_cast<std::uint8_t>(value | 0x80) : 255;
    }
    return image;
}

void shrink(benchmark::State& state, bool alpha) {
    const DecodedImage source = picture(alpha);
    for (auto _ : state) {
        DecodedImage copy = source;
        benchmark::DoNotOptimize(resampled(std::move(copy), {1920, 1280}));
    }
}

void Opaque24MpTo1920(benchmark::State& state) {
    shrink(state, false);
}
void Transparent24MpTo1920(benchmark::State& state) {
    shrink(state, true);
}
BENCHMARK(Opaque24MpTo1920)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(Transparent24MpTo1920)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
