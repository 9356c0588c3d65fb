// PNG decoding, ours against libpng, both producing straight BGRA. The files are made by
// ImageMagick at start: a 12-megapixel photo-like plasma as RGB, RGBA, palette and Adam7.
#include "formats/readers.h"
#include "support/libpng_bgra.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Made once and kept in the temp folder between runs.
const std::vector<std::uint8_t>& file(const std::string& kind) {
    static std::map<std::string, std::vector<std::uint8_t>> files;
    auto found = files.find(kind);
    if (found != files.end())
        return found->second;
    const auto folder = std::filesystem::temp_directory_path() / "pixmorrow-bench-png";
    std::filesystem::create_directories(folder);
    const std::string photo = (folder / "photo.png").string();
    if (!std::filesystem::exists(photo)) {
        const std::string make =
            "convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -depth 8 -type TrueColor " +
            photo;
        if (std::system(make.c_str()) != 0)
            throw std::runtime_error("convert failed");
    }
    const std::string path = (folder / (kind + ".png")).string();
    if (!std::filesystem::exists(path)) {
        std::string options;
        if (kind == "rgba")
            options = "-alpha set -channel A -fx '0.5+0.5*sin(i/40)' +channel -type TrueColorAlpha";
        if (kind == "interlaced")
            options = "-interlace PNG";
        std::string out = path;
        if (kind == "palette") {
            options = "-colors 256";
            out = "PNG8:" + path;
        }
        const std::string make = "convert " + photo + " " + options + " " + out;
        if (std::system(make.c_str()) != 0)
            throw std::runtime_error("convert failed");
    }
    return files[kind] = readFile(path);
}

void ours(benchmark::State& state, const char* kind) {
    const auto& bytes = file(kind);
    for (auto _ : state) {
        auto image = pixmorrow::formats::decodePng(bytes);
        benchmark::DoNotOptimize(image.bgra.data());
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void libpng(benchmark::State& state, const char* kind) {
    const auto& bytes = file(kind);
    std::uint32_t width = 0, height = 0;
    for (auto _ : state) {
        // A fresh buffer each round, as our reader allocates its image each time.
        auto pixels = pixmorrow::testing::readWithLibpng(bytes, width, height);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(ours, photo_rgb, "rgb")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(libpng, photo_rgb, "rgb")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(ours, photo_rgba, "rgba")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(libpng, photo_rgba, "rgba")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(ours, palette, "palette")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(libpng, palette, "palette")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(ours, interlaced, "interlaced")->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(libpng, interlaced, "interlaced")->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
