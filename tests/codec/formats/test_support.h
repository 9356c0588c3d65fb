#pragma once

#include "formats/decoded_image.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace pixmorrow::formats::testing {

// A fresh folder under the system's temp folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pixmorrow-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command and returns its standard output; throws when it fails.
inline std::vector<std::uint8_t> runCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("popen failed: " + command);
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    if (pclose(pipe) != 0)
        throw std::runtime_error("command failed: " + command);
    return out;
}

inline std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

// ImageMagick's reading of a file as 8-bit RGBA, converted to BGRA to compare with ours.
inline std::vector<std::uint8_t> magickBgra(const std::string& path,
                                            const std::string& options = "") {
    std::vector<std::uint8_t> rgba =
        runCommand("convert " + quoted(path) + " " + options + " -depth 8 rgba:-");
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        std::swap(rgba[i], rgba[i + 2]);
    return rgba;
}

// Transparent pixels may differ in colour between decoders; only their alpha matters.
inline std::vector<std::uint8_t> clearTransparent(std::vector<std::uint8_t> bgra) {
    for (std::size_t i = 0; i + 3 < bgra.size(); i += 4)
        if (bgra[i + 3] == 0)
            bgra[i] = bgra[i + 1] = bgra[i + 2] = 0;
    return bgra;
}

// The first differing pixel, for failure messages.
inline std::string firstDifference(const std::vector<std::uint8_t>& a,
                                   const std::vector<std::uint8_t>& b, std::uint32_t width) {
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); i += 4) {
        for (int c = 0; c < 4; ++c) {
            if (a[i + c] != b[i + c]) {
                const std::size_t pixel = i / 4;
                auto px = [&](const std::vector<std::uint8_t>& v) {
                    return std::to_string(v[i]) + "," + std::to_string(v[i + 1]) + "," +
                           std::to_string(v[i + 2]) + "," + std::to_string(v[i + 3]);
                };
                return "pixel (" + std::to_string(pixel % width) + ", " +
                       std::to_string(pixel / width) + "): " + px(a) + " vs " + px(b);
            }
        }
    }
    return "none";
}

}  // namespace pixmorrow::formats::testing
