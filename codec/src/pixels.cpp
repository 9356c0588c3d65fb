#include "pixels.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace pixmorrow::codec {
namespace {

inline std::uint8_t div255(unsigned v) {
    return static_cast<std::uint8_t>((v + 128 + ((v + 128) >> 8)) >> 8);
}

float srgbToLinear(float s) {
    return s <= 0.04045f ? s / 12.92f : std::pow((s + 0.055f) / 1.055f, 2.4f);
}

float linearToSrgb(float l) {
    return l <= 0.0031308f ? l * 12.92f : 1.055f * std::pow(l, 1.0f / 2.4f) - 0.055f;
}

constexpr int kEncodeSteps = 65535;

// Lookup tables for the common opaque case, made once.
struct Tables {
    std::array<float, 256> toLinear{};
    std::vector<std::uint8_t> toSrgb8;  // index: round(linear * kEncodeSteps)

    Tables() : toSrgb8(kEncodeSteps + 1) {
        for (int i = 0; i < 256; ++i)
            toLinear[i] = srgbToLinear(i / 255.0f);
        for (int i = 0; i <= kEncodeSteps; ++i)
            toSrgb8[i] = static_cast<std::uint8_t>(std::lround(
                std::clamp(linearToSrgb(float(i) / kEncodeSteps), 0.0f, 1.0f) * 255.0f));
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

float hueToRgb(float p, float q, float t) {
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0f / 6)
        return p + (q - p) * 6 * t;
    if (t < 1.0f / 2)
        return q;
    if (t < 2.0f / 3)
        return p + (q - p) * (2.0f / 3 - t) * 6;
    return p;
}

// Inverts the HSL lightness of a colour, keeping hue and saturation.
void invertLightness(float& r, float& g, float& b) {
    float mx = std::max({r, g, b}), mn = std::min({r, g, b});
    float l = (mx + mn) / 2, h = 0, s = 0;
    if (mx != mn) {
        float d = mx - mn;
        s = l > 0.5f ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    l = 1 - l;
    if (s == 0) {
        r = g = b = l;
        return;
    }
    float q = l < 0.5f ? l * (1 + s) : l + s - l * s;
    float p = 2 * l - q;
    r = hueToRgb(p, q, h + 1.0f / 3);
    g = hueToRgb(p, q, h);
    b = hueToRgb(p, q, h - 1.0f / 3);
}

}  // namespace

bool premultiplyInPlace(std::uint8_t* p, std::size_t n) {
    bool opaque = true;
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        unsigned a = p[3];
        if (a == 255)
            continue;
        opaque = false;
        p[0] = div255(p[0] * a);
        p[1] = div255(p[1] * a);
        p[2] = div255(p[2] * a);
    }
    return opaque;
}

void unpremultiplyRow(const std::uint8_t* s, std::uint8_t* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i, s += 4, d += 4) {
        unsigned a = s[3];
        if (a == 255) {
            std::memcpy(d, s, 4);
        } else if (a == 0) {
            std::memset(d, 0, 4);
        } else {
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<std::uint8_t>(std::min(255u, (s[c] * 255u + a / 2) / a));
            d[3] = static_cast<std::uint8_t>(a);
        }
    }
}

void applyHighContrast(const pmc_highcontrastconfig& config, std::uint8_t* p) {
    const unsigned a = p[3];
    if (a == 0)
        return;
    const Tables& t = tables();
    // Work on straight, linear values.
    float b, g, r;
    if (a == 255) {
        b = t.toLinear[p[0]];
        g = t.toLinear[p[1]];
        r = t.toLinear[p[2]];
    } else {
        const float inv = 1.0f / a;
        b = srgbToLinear(std::min(1.0f, p[0] * inv));
        g = srgbToLinear(std::min(1.0f, p[1] * inv));
        r = srgbToLinear(std::min(1.0f, p[2] * inv));
    }
    if (config.grayscale)
        r = g = b = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    if (config.invert_style == PMC_INVERT_BRIGHTNESS) {
        r = 1 - r;
        g = 1 - g;
        b = 1 - b;
    } else if (config.invert_style == PMC_INVERT_LIGHTNESS) {
        invertLightness(r, g, b);
    }
    if (config.contrast != 0.0f && !std::isnan(config.contrast)) {
        const float c = std::clamp(config.contrast, -1.0f + FLT_EPSILON, 1.0f - FLT_EPSILON);
        const float k = (1 + c) / (1 - c);
        r = (r - 0.5f) * k + 0.5f;
        g = (g - 0.5f) * k + 0.5f;
        b = (b - 0.5f) * k + 0.5f;
    }
    r = std::clamp(r, 0.0f, 1.0f);
    g = std::clamp(g, 0.0f, 1.0f);
    b = std::clamp(b, 0.0f, 1.0f);
    if (a == 255) {
        p[0] = t.toSrgb8[static_cast<int>(b * kEncodeSteps + 0.5f)];
        p[1] = t.toSrgb8[static_cast<int>(g * kEncodeSteps + 0.5f)];
        p[2] = t.toSrgb8[static_cast<int>(r * kEncodeSteps + 0.5f)];
    } else {
        p[0] = static_cast<std::uint8_t>(std::lround(linearToSrgb(b) * a));
        p[1] = static_cast<std::uint8_t>(std::lround(linearToSrgb(g) * a));
        p[2] = static_cast<std::uint8_t>(std::lround(linearToSrgb(r) * a));
    }
}

void drawPixels(PixelBuffer& dst, const PixelBuffer& src, long long left, long long top,
                const pmc_colorfilter* filter) {
    const long long x0 = std::max(0LL, left), y0 = std::max(0LL, top);
    const long long x1 = std::min<long long>(dst.width, left + src.width);
    const long long y1 = std::min<long long>(dst.height, top + src.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    const std::size_t count = static_cast<std::size_t>(x1 - x0);
    for (long long y = y0; y < y1; ++y) {
        const std::uint8_t* s =
            src.data() + std::size_t(y - top) * src.rowBytes() + std::size_t(x0 - left) * 4;
        std::uint8_t* d = dst.data() + std::size_t(y) * dst.rowBytes() + std::size_t(x0) * 4;
        for (std::size_t i = 0; i < count; ++i, s += 4, d += 4) {
            std::uint8_t px[4];
            std::memcpy(px, s, 4);
            if (filter)
                applyHighContrast(filter->config, px);
            const unsigned sa = px[3];
            if (sa == 255) {
                std::memcpy(d, px, 4);
            } else if (sa != 0) {
                const unsigned keep = 255 - sa;
                for (int c = 0; c < 4; ++c)
                    d[c] = static_cast<std::uint8_t>(px[c] + div255(d[c] * keep));
            }
        }
    }
}

void fillPixels(PixelBuffer& dst, std::uint32_t value) {
    std::uint8_t px[4];
    std::memcpy(px, &value, 4);
    std::uint8_t* d = dst.data();
    const std::size_t n = std::size_t{dst.width} * dst.height;
    if (value == 0) {
        std::memset(d, 0, n * 4);
        return;
    }
    for (std::size_t i = 0; i < n; ++i, d += 4)
        std::memcpy(d, px, 4);
}

}  // namespace pixmorrow::codec
