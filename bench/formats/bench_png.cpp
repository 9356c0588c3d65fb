// PNG decoding, ours against libpng, both producing straight BGRA. The files are made by
// ImageMagick at start: a 12-megapixel photo-like plasma as RGB, RGBA, palette and Adam7.
#include "formats/readers.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

struct Source {
    const std::uint8_t* data;
    std::size_t size, pos;
};

void readData(png_structp png, png_bytep out, png_size_t length) {
    auto* s = static_cast<Source*>(png_get_io_ptr(png));
    if (s->size - s->pos < length)
        png_error(png, "truncated");
    std::memcpy(out, s->data + s->pos, length);
    s->pos += length;
}

void decodeWithLibpng(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng failed");
    }
    Source source{bytes.data(), bytes.size(), 0};
    png_set_read_fn(png, &source, readData);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    pixels.resize(std::size_t{w} * h * 4);
    std::vector<png_bytep> rows(h);
    for (std::uint32_t y = 0; y < h; ++y)
        rows[y] = pixels.data() + std::size_t{y} * w * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
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
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        // A fresh buffer each round, as our reader allocates its image each time.
        std::vector<std::uint8_t>().swap(pixels);
        decodeWithLibpng(bytes, pixels);
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
