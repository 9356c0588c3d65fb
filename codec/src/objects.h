// The library's objects behind the C handles.
#pragma once

#include "pixmorrow_codec.h"

#include "formats/decode_error.h"
#include "formats/metadata.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pixmorrow::codec {

// Premultiplied BGRA pixels, rows width * 4 bytes apart: its own, or lent by a caller that
// gets them back when the buffer goes.
struct PixelBuffer {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;  // the pixels, unless they are lent

    PixelBuffer() = default;
    // A copy holds the pixels as its own.
    PixelBuffer(const PixelBuffer& other)
        : width(other.width),
          height(other.height),
          bytes(other.data(), other.data() + other.rowBytes() * other.height) {}
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    ~PixelBuffer() {
        if (giveBack_)
            giveBack_();
    }

    std::size_t rowBytes() const { return std::size_t{width} * 4; }
    std::uint8_t* data() { return lent_ ? lent_ : bytes.data(); }
    const std::uint8_t* data() const { return lent_ ? lent_ : bytes.data(); }

    // Uses `pixels` (rowBytes() * height bytes) in place of its own; giveBack runs when the
    // buffer goes.
    void lend(std::uint8_t* pixels, std::function<void()> giveBack) {
        bytes.clear();
        lent_ = pixels;
        giveBack_ = std::move(giveBack);
    }

private:
    std::uint8_t* lent_ = nullptr;
    std::function<void()> giveBack_;
};

// Sets the calling thread's last error text, with its kind and code when it is a decoder's.
void setLastError(std::string text, formats::ErrorCause cause = {});
void clearLastError();
const char* lastErrorText();
const formats::ErrorCause& lastErrorCause();

// Reference counting shared by every counted object; starts with one reference.
struct RefCounted {
    mutable std::atomic<int> refs{1};
    virtual ~RefCounted() = default;
    void ref() const { refs.fetch_add(1, std::memory_order_relaxed); }
    void unref() const {
        if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
};

}  // namespace pixmorrow::codec

struct pmc_image : pixmorrow::codec::RefCounted {
    // Shared with a surface after a snapshot; never written through an image.
    std::shared_ptr<const pixmorrow::codec::PixelBuffer> pixels;
    // The profile, EXIF and XMP blocks the image carries into an encoding.
    pixmorrow::formats::ImageMetadata metadata;
};

struct pmc_surface;

struct pmc_canvas {
    pmc_surface* surface = nullptr;
};

struct pmc_surface : pixmorrow::codec::RefCounted {
    std::shared_ptr<pixmorrow::codec::PixelBuffer> pixels;
    pmc_canvas canvas;

    // The pixels, made the surface's own first when a snapshot still shares them.
    pixmorrow::codec::PixelBuffer& writablePixels() {
        if (pixels.use_count() > 1)
            pixels = std::make_shared<pixmorrow::codec::PixelBuffer>(*pixels);
        return *pixels;
    }
};

struct pmc_colorfilter : pixmorrow::codec::RefCounted {
    pmc_highcontrastconfig config{};
};

struct pmc_paint {
    pmc_colorfilter* filter = nullptr;
    ~pmc_paint() {
        if (filter)
            filter->unref();
    }
};
